// CUIRichEdit: set-up of the text services, message forwarding, painting, text and caret.
#include "UIRichEdit.h"

#include <windowsx.h>

#include "HostWnd.h"
#include "RichEditFormat.h"
#include "ScopedWin.h"
#include "TextConv.h"
#include "TextServicesLib.h"
#include "UIControlContainer.h"

namespace ZOV {

namespace {

const DWORD kStorageMode = STGM_TRANSACTED | STGM_CREATE | STGM_SHARE_EXCLUSIVE | STGM_READWRITE;  // 0x11012

IStorage* NewRootStorage() {
  IStorage* root = nullptr;
  if (FAILED(::StgCreateDocfile(nullptr, kStorageMode, 0, &root))) return nullptr;
  return root;
}

bool IsKeyboardMessage(UINT msg) { return msg >= WM_KEYDOWN && msg <= WM_SYSDEADCHAR; }

}  // namespace

CUIRichEdit::CUIRichEdit() : m_rootStorage(NewRootStorage()) {
  m_type = kTypeRichEdit;
  m_charFormat = CHARFORMAT2W();
  m_paraFormat = PARAFORMAT2();
}

CUIRichEdit::CUIRichEdit(const CUIRichEdit& o)
    : CUIStatic(o),
      ITextHost(),
      IRichEditOleCallback(),
      m_wantReturn(o.m_wantReturn),
      m_wantCtrlReturn(o.m_wantCtrlReturn),
      m_richText(o.m_richText),
      m_maxLength(o.m_maxLength),
      m_style(o.m_style),
      m_clientRect(o.m_clientRect),
      m_extent(o.m_extent),
      m_charFormat(o.m_charFormat),
      m_paraFormat(o.m_paraFormat),
      m_passwordChar(o.m_passwordChar),
      m_acceleratorPos(o.m_acceleratorPos),
      m_selBarWidth(o.m_selBarWidth),
      m_rootStorage(NewRootStorage()) {}

CUIRichEdit::~CUIRichEdit() {
  StopTimers();
  if (m_services) {
    m_services->OnTxInPlaceDeactivate();
    ITextServices* services = m_services;
    m_services = nullptr;  // the services may call back while they go
    services->Release();
  }
  m_oleCallback = nullptr;
  if (m_rootStorage) m_rootStorage->Release();
}

std::shared_ptr<CUIControl> CUIRichEdit::Clone() const { return std::make_shared<CUIRichEdit>(*this); }

HWND CUIRichEdit::HostHwnd() const { return m_host ? m_host->GetHWND() : nullptr; }

bool CUIRichEdit::OnLayeredHost() const {
  HWND hwnd = HostHwnd();
  return hwnd && (::GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED);
}

int CUIRichEdit::HostDpi(int index) const {
  win::ScopedGetDC dc(HostHwnd());  // the screen's when there is no window yet
  int dpi = dc.get() ? ::GetDeviceCaps(dc, index) : 0;
  return dpi > 0 ? dpi : 96;
}

void CUIRichEdit::StopTimers() {
  HWND hwnd = HostHwnd();
  if (hwnd) {
    if (m_caretTimer) ::KillTimer(hwnd, kRichEditCaretTimer);
    for (UINT id : m_servicesTimers) ::KillTimer(hwnd, id);
  }
  m_caretTimer = false;
  m_servicesTimers.clear();
  m_hostFlags &= ~kHostTimerRunning;
}

void CUIRichEdit::Init() {
  if (m_initialised) return;
  LOGFONTW font = {};
  HFONT hfont = m_font ? m_font : static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
  ::GetObjectW(hfont, sizeof(font), &font);
  m_charFormat = DefaultCharFormat(font, m_textColor, HostDpi(LOGPIXELSY));
  m_paraFormat = DefaultParaFormat(m_style);
  if (m_richText) m_hostFlags |= kHostRichText;
  if (!(m_style & (ES_AUTOHSCROLL | WS_HSCROLL))) m_hostFlags |= kHostWordWrap;
  m_hostFlags |= kHostInPlaceActive;

  m_services = CreateHostedTextServices(this);
  if (!m_services) return;  // no text services: nothing is forwarded or drawn
  m_services->TxSetText(text::Utf8ToWide(m_text).c_str());
  m_hostFlags |= kHostTransparent;
  m_services->OnTxPropertyBitsChange(TXTBIT_BACKSTYLECHANGE, 0);
  LRESULT r = 0;
  TxSendMessage(EM_SETLANGOPTIONS, 0, 0, &r);
  InPlaceActivate();
  SetRect(m_rect);
  r = 0;
  TxSendMessage(EM_SETOLECALLBACK, 0, reinterpret_cast<LPARAM>(static_cast<IRichEditOleCallback*>(this)), &r);
  if (r == 1) {
    m_oleCallback = this;
    AddRef();
  }
  m_initialised = true;
}

void CUIRichEdit::InPlaceActivate() {
  m_hostFlags |= kHostInPlaceActive;
  if (FAILED(m_services->OnTxInPlaceActivate(nullptr))) m_hostFlags &= ~kHostInPlaceActive;
}

void CUIRichEdit::UpdateExtent() {
  m_extent = PixelsToHimetric(m_clientRect.right - m_clientRect.left, m_clientRect.bottom - m_clientRect.top,
                              HostDpi(LOGPIXELSX), HostDpi(LOGPIXELSY));
}

void CUIRichEdit::SetRect(const RECT& rect) {
  CUIStatic::SetRect(rect);
  m_clientRect = rect;
  UpdateExtent();
  if (m_services) m_services->OnTxPropertyBitsChange(TXTBIT_CLIENTRECTCHANGE, TXTBIT_CLIENTRECTCHANGE);
}

void CUIRichEdit::SetFocus(bool focus) {
  CUIStatic::SetFocus(focus);
  m_focused = focus;
  if (m_services) {
    InPlaceActivate();
    LRESULT r = 0;
    TxSendMessage(focus ? WM_SETFOCUS : WM_KILLFOCUS, 0, 0, &r);
  }
  if (!OnLayeredHost()) return;
  HWND hwnd = HostHwnd();
  if (focus) {
    m_caretTimer = ::SetTimer(hwnd, kRichEditCaretTimer, ::GetCaretBlinkTime(), nullptr) != 0;
  } else {
    m_caretShown = false;
    InvalidateCaret();
    ::KillTimer(hwnd, kRichEditCaretTimer);
    m_caretTimer = false;
  }
}

void CUIRichEdit::InvalidateCaret() {
  HWND hwnd = HostHwnd();
  RECT caret = CaretRect();
  if (hwnd) ::InvalidateRect(hwnd, &caret, FALSE);
}

bool CUIRichEdit::IsUnder(POINT pt) const {
  if (m_parent) return m_parent->ChildAtPoint(pt) == this;
  return PtInRect(&m_rect, pt) != FALSE;  // a root rich edit has no sibling above it
}

HRESULT CUIRichEdit::TxSendMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  if (result) *result = 0;
  // Enter is swallowed as the key and as the character TranslateMessage makes of it (CR, or
  // LF with Ctrl): text services differ in which of the two starts the new paragraph.
  bool enter =
      (msg == WM_KEYDOWN && wParam == VK_RETURN) || (msg == WM_CHAR && (wParam == '\r' || wParam == '\n'));
  if (enter) {
    bool ctrl = (::GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (!m_wantReturn || (ctrl && !m_wantCtrlReturn)) return S_OK;
  }
  if (!m_services) return S_FALSE;
  LRESULT r = 0;
  HRESULT hr = m_services->TxSendMessage(msg, wParam, lParam, &r);
  if (result) *result = r;
  return hr;
}

LRESULT CUIRichEdit::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) {
  if (!m_services) return 0;
  HWND hwnd = HostHwnd();
  POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  bool mouse = msg >= WM_MOUSEFIRST && msg <= WM_MOUSEHWHEEL;
  bool servicesCapture = (m_hostFlags & kHostHasCapture) != 0;
  if (msg == WM_TIMER) {
    if (wParam != kRichEditCaretTimer || !OnLayeredHost()) return 0;
    m_caretShown = !m_caretShown;
    InvalidateCaret();
    return 0;
  } else if (mouse || msg == WM_SETCURSOR) {
    if (!servicesCapture) {
      if (msg >= WM_LBUTTONDOWN && msg <= WM_RBUTTONUP && !IsUnder(pt)) return 0;
      if (msg == WM_SETCURSOR) {
        ::GetCursorPos(&pt);  // its lParam holds a hit code, not a point
        ::ScreenToClient(hwnd, &pt);
      } else if (msg == WM_MOUSEWHEEL || msg == WM_MOUSEHWHEEL) {
        ::ScreenToClient(hwnd, &pt);  // both wheels carry a screen point
      }
      if (!PtInRect(&m_clientRect, pt) || (hwnd && ::GetCapture() == hwnd)) return 0;
      if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDOWN) SetFocus(true);
    }
  } else if (IsKeyboardMessage(msg) || msg == WM_IME_CHAR) {
    if (!IsFocus()) return 0;
  } else if (msg == WM_CONTEXTMENU) {
    POINT client = pt;
    ::ScreenToClient(hwnd, &client);
    if (!IsUnder(client)) return 0;
  } else if (msg != WM_HELP) {
    return 0;
  }
  LRESULT result = 0;
  HRESULT hr = TxSendMessage(msg, wParam, lParam, &result);
  bool take = hr == S_OK || IsKeyboardMessage(msg) || msg == WM_IME_CHAR || (mouse && servicesCapture);
  if (take && msg != WM_SETCURSOR && msg != WM_HELP && handled) *handled = true;
  return result;
}

void CUIRichEdit::PaintText(HDC hdc) {
  if (!m_services) return;
  RECTL bounds = {m_clientRect.left, m_clientRect.top, m_clientRect.right, m_clientRect.bottom};
  RECT update = m_rect;
  m_services->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, hdc, nullptr, &bounds, nullptr, &update, nullptr,
                     0, TXTVIEW_ACTIVE);
  // Another control may have taken the host's focus without telling this one.
  if (m_caretShown && IsFocus()) {
    RECT caret = CaretRect();
    win::AutoGdiObj brush(::CreateSolidBrush(0x010101));
    ::FrameRect(hdc, &caret, static_cast<HBRUSH>(brush.get()));
  }
}

void CUIRichEdit::NotifyParent(DWORD code, void* record) {
  HWND hwnd = HostHwnd();
  if (!hwnd || !record || code < EN_MSGFILTER || code > EN_DRAGDROPDONE) return;
  if (code == EN_REQUESTRESIZE || code == EN_CORRECTTEXT || code == EN_IMECHANGE) return;
  NMHDR* header = static_cast<NMHDR*>(record);
  header->hwndFrom = hwnd;
  header->idFrom = (UINT_PTR)::GetWindowLongPtrW(hwnd, GWLP_ID);
  header->code = code;
  ::SendMessageW(hwnd, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(record));
}

const char* CUIRichEdit::GetText() const {
  if (!m_services) return CUIStatic::GetText();
  GETTEXTLENGTHEX lengthOf = {GTL_DEFAULT, 1200};
  LRESULT length = 0;
  m_services->TxSendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthOf), 0, &length);
  if (length < 0) length = 0;
  std::wstring buffer((size_t)length + 1, L'\0');
  GETTEXTEX get = {};
  get.cb = (DWORD)((length + 1) * sizeof(wchar_t));
  get.flags = GT_DEFAULT;
  get.codepage = 1200;
  LRESULT copied = 0;
  m_services->TxSendMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&get),
                            reinterpret_cast<LPARAM>(&buffer[0]), &copied);
  buffer.resize(copied >= 0 && copied <= length ? (size_t)copied : wcsnlen(buffer.c_str(), buffer.size()));
  m_textCache = text::WideToUtf8(buffer);
  return m_textCache.c_str();
}

void CUIRichEdit::SetText(const char* text) {
  m_text = text ? text : "";
  if (!m_services) return;
  LRESULT r = 0;
  CHARRANGE all = {0, -1};
  TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&all), &r);
  std::wstring wide = text::Utf8ToWide(m_text);
  TxSendMessage(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()), &r);
}

void CUIRichEdit::SetTextColor(COLORREF color) {
  CUIStatic::SetTextColor(color);
  m_charFormat.crTextColor = color;
  if (m_services) m_services->OnTxPropertyBitsChange(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
}

void CUIRichEdit::SetReadOnly(bool readOnly) {
  m_style = readOnly ? (m_style | ES_READONLY) : (m_style & ~ES_READONLY);
  if (m_services) m_services->OnTxPropertyBitsChange(TXTBIT_READONLY, readOnly ? TXTBIT_READONLY : 0);
}

}  // namespace ZOV
