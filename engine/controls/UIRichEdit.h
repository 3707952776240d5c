// CUIRichEdit: a windowless rich-text editor. It hosts the platform's text services inside the
// engine's host window as their ITextHost, answers their embedded-object questions as
// IRichEditOleCallback, forwards window messages to them, draws them with TxDraw and, on
// layered hosts (which get no system caret), draws its own blinking caret.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <richedit.h>
#include <richole.h>
#include <textserv.h>

#include <set>
#include <string>

#include "UIStatic.h"

namespace ZOV {

const UINT_PTR kRichEditCaretTimer = 6417;  // the layered host's caret blink

class CUIRichEdit : public CUIStatic, public ITextHost, public IRichEditOleCallback {
 public:
  CUIRichEdit();
  // A copy gets neither the text services nor the storage of the original: it makes its own.
  CUIRichEdit(const CUIRichEdit& other);
  ~CUIRichEdit() override;

  // ---- control operations ----
  void SetFocus(bool focus) override;
  void SetRect(const RECT& rect) override;
  std::shared_ptr<CUIControl> Clone() const override;
  void Init() override;  // once: creates the text services
  void PaintText(HDC hdc) override;
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;
  const char* GetText() const override;     // UTF-8, from the text services
  void SetText(const char* text) override;  // replaces everything, not undoable
  // Enter (or Ctrl+Enter) is swallowed when not wanted; everything else reaches the services.
  virtual HRESULT TxSendMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual bool RepaintOnViewChange() const { return true; }
  // Forwards the text services' notifications (EN_ codes with a record) to the host window.
  virtual void NotifyParent(DWORD code, void* record);

  // The rich edit's own colour operation: it also becomes the default character colour.
  void SetTextColor(COLORREF color);
  void SetWantReturn(bool want) { m_wantReturn = want; }
  void SetWantCtrlReturn(bool want) { m_wantCtrlReturn = want; }
  void SetReadOnly(bool readOnly);

  ITextServices* GetTextServices() const { return m_services; }
  IRichEditOleCallback* GetOleCallback() const { return m_oleCallback; }
  bool IsCaretShown() const { return m_caretShown; }
  DWORD GetHostFlags() const { return m_hostFlags; }
  RECT CaretRect() const { return {m_caretX, m_caretY, m_caretX + 1, m_caretY + 20}; }

  // ---- IUnknown (one count for both interfaces; the control tree owns the object) ----
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // ---- ITextHost ----
  HDC TxGetDC() override;
  INT TxReleaseDC(HDC hdc) override;
  BOOL TxShowScrollBar(INT, BOOL) override { return TRUE; }
  BOOL TxEnableScrollBar(INT, INT) override { return TRUE; }
  BOOL TxSetScrollRange(INT, LONG, INT, BOOL) override { return TRUE; }
  BOOL TxSetScrollPos(INT, INT, BOOL) override { return TRUE; }
  void TxInvalidateRect(LPCRECT rect, BOOL erase) override;
  void TxViewChange(BOOL update) override;
  BOOL TxCreateCaret(HBITMAP bitmap, INT width, INT height) override;
  BOOL TxShowCaret(BOOL show) override;
  BOOL TxSetCaretPos(INT x, INT y) override;
  BOOL TxSetTimer(UINT id, UINT timeout) override;
  void TxKillTimer(UINT id) override;
  void TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) override {}
  void TxSetCapture(BOOL capture) override;
  void TxSetFocus() override;
  void TxSetCursor(HCURSOR cursor, BOOL) override { ::SetCursor(cursor); }
  BOOL TxScreenToClient(LPPOINT pt) override;
  BOOL TxClientToScreen(LPPOINT pt) override;
  HRESULT TxActivate(LONG*) override { return S_OK; }
  HRESULT TxDeactivate(LONG) override { return S_OK; }
  HRESULT TxGetClientRect(LPRECT rect) override;
  HRESULT TxGetViewInset(LPRECT rect) override;
  HRESULT TxGetCharFormat(const CHARFORMATW** format) override;
  HRESULT TxGetParaFormat(const PARAFORMAT** format) override;
  COLORREF TxGetSysColor(int index) override { return ::GetSysColor(index); }
  HRESULT TxGetBackStyle(TXTBACKSTYLE* style) override;
  HRESULT TxGetMaxLength(DWORD* length) override;
  HRESULT TxGetScrollBars(DWORD* bars) override;
  HRESULT TxGetPasswordChar(TCHAR* ch) override;
  HRESULT TxGetAcceleratorPos(LONG* pos) override;
  HRESULT TxGetExtent(LPSIZEL extent) override;
  HRESULT OnTxCharFormatChange(const CHARFORMATW*) override { return S_OK; }
  HRESULT OnTxParaFormatChange(const PARAFORMAT*) override { return S_OK; }
  HRESULT TxGetPropertyBits(DWORD mask, DWORD* bits) override;
  HRESULT TxNotify(DWORD code, void* record) override;
  HIMC TxImmGetContext() override { return nullptr; }
  void TxImmReleaseContext(HIMC) override {}
  HRESULT TxGetSelectionBarWidth(LONG* width) override;

  // ---- IRichEditOleCallback ----
  // Sub-storages of the root storage named "REOLEStorage1", "REOLEStorage2", ...
  HRESULT STDMETHODCALLTYPE GetNewStorage(LPSTORAGE* storage) override;
  HRESULT STDMETHODCALLTYPE GetInPlaceContext(LPOLEINPLACEFRAME* frame, LPOLEINPLACEUIWINDOW* doc,
                                              LPOLEINPLACEFRAMEINFO info) override;
  HRESULT STDMETHODCALLTYPE ShowContainerUI(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE QueryInsertObject(LPCLSID, LPSTORAGE, LONG) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE DeleteObject(LPOLEOBJECT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE QueryAcceptData(LPDATAOBJECT, CLIPFORMAT*, DWORD, BOOL, HGLOBAL) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetClipboardData(CHARRANGE*, DWORD, LPDATAOBJECT* data) override;
  HRESULT STDMETHODCALLTYPE GetDragDropEffect(BOOL, DWORD, LPDWORD) override { return E_NOTIMPL; }
  // Object verbs (for a selected object), then Cut and Copy (greyed without a selection)
  // and Paste (greyed when nothing can be pasted).
  HRESULT STDMETHODCALLTYPE GetContextMenu(WORD seltype, LPOLEOBJECT object, CHARRANGE* range,
                                           HMENU* menu) override;

 private:
  HWND HostHwnd() const;
  bool OnLayeredHost() const;
  int HostDpi(int index) const;  // LOGPIXELSX or LOGPIXELSY of the host's DC
  void InPlaceActivate();
  void InvalidateCaret();
  void UpdateExtent();
  void StopTimers();
  // The control is the one its parent finds at the (host client) point.
  bool IsUnder(POINT pt) const;

  bool m_wantReturn = true;
  bool m_wantCtrlReturn = true;
  bool m_richText = true;
  LONG m_refs = 0;
  int m_maxLength = 0x7FFF;
  DWORD m_style = ES_MULTILINE;
  bool m_initialised = false;
  int m_caretX = 0, m_caretY = 0;
  bool m_caretShown = false;
  bool m_focused = false;
  ITextServices* m_services = nullptr;  // one reference
  DWORD m_hostFlags = 0;
  RECT m_clientRect = {};
  SIZEL m_extent = {};
  CHARFORMAT2W m_charFormat;
  PARAFORMAT2 m_paraFormat;
  WCHAR m_passwordChar = 0;
  LONG m_acceleratorPos = -1;
  LONG m_selBarWidth = 0;
  IRichEditOleCallback* m_oleCallback = nullptr;  // this object, once the services took it
  int m_storageCount = 0;
  IStorage* m_rootStorage = nullptr;  // one reference
  bool m_caretTimer = false;          // kRichEditCaretTimer runs on the host for this control
  std::set<UINT> m_servicesTimers;    // timers the text services asked for, on the host
  mutable std::string m_textCache;    // what GetText last returned
};

}  // namespace ZOV
