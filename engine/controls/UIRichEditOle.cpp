// CUIRichEdit as IRichEditOleCallback: storages for embedded objects and the context menu.
#include "UIRichEdit.h"

#include <oledlg.h>

#include <cwchar>

namespace ZOV {

namespace {
const DWORD kStorageMode = STGM_TRANSACTED | STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;  // 0x11012
// Command ids of the menu, as the text services know them.
const UINT kVerbFirst = 40200, kVerbLast = 40300, kConvertCommand = 40013;
const UINT kCut = 57635, kCopy = 57634, kPaste = 57637;
}  // namespace

HRESULT CUIRichEdit::GetNewStorage(LPSTORAGE* storage) {
  if (!storage) return E_INVALIDARG;
  *storage = nullptr;
  if (!m_rootStorage) return E_FAIL;
  wchar_t name[32];
  swprintf(name, sizeof(name) / sizeof(name[0]), L"REOLEStorage%d", ++m_storageCount);
  return m_rootStorage->CreateStorage(name, kStorageMode, 0, 0, storage);
}

HRESULT CUIRichEdit::GetInPlaceContext(LPOLEINPLACEFRAME* frame, LPOLEINPLACEUIWINDOW* doc,
                                       LPOLEINPLACEFRAMEINFO info) {
  if (!frame || !doc || !info) return E_INVALIDARG;
  *frame = nullptr;
  *doc = nullptr;
  info->fMDIApp = FALSE;
  info->cAccelEntries = info->haccel ? (UINT)::CopyAcceleratorTableW(info->haccel, nullptr, 0) : 0;
  return S_OK;
}

HRESULT CUIRichEdit::GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT* data) {
  if (data) *data = nullptr;
  return E_NOTIMPL;
}

HRESULT CUIRichEdit::GetContextMenu(WORD seltype, LPOLEOBJECT object, CHARRANGE* range, HMENU* menu) {
  if (!menu) return E_INVALIDARG;
  *menu = nullptr;
  HMENU popup = ::CreatePopupMenu();
  if (!popup) return E_FAIL;
  if ((seltype & SEL_OBJECT) && object) {
    HMENU verbs = nullptr;
    ::OleUIAddVerbMenuW(object, nullptr, popup, 0, kVerbFirst, kVerbLast, TRUE, kConvertCommand, &verbs);
    ::AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
  }
  bool empty = !range || range->cpMin == range->cpMax;
  UINT selectionState = empty ? MF_GRAYED : MF_ENABLED;
  LRESULT canPaste = 0;
  TxSendMessage(EM_CANPASTE, 0, 0, &canPaste);
  ::AppendMenuW(popup, MF_STRING | selectionState, kCut, L"Cu&t");
  ::AppendMenuW(popup, MF_STRING | selectionState, kCopy, L"&Copy");
  ::AppendMenuW(popup, MF_STRING | (canPaste ? MF_ENABLED : MF_GRAYED), kPaste, L"&Paste");
  *menu = popup;
  return S_OK;
}

}  // namespace ZOV
