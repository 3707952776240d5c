// CUIRichEdit as the text services' ITextHost: the host window's DC, caret, timers, capture,
// invalidation, and the stored rectangles and formats.
#include "UIRichEdit.h"

#include "HostWnd.h"
#include "RichEditFormat.h"

namespace ZOV {

namespace {
// The text services ask for stored values through out-pointers.
template <class T>
struct Same {
  typedef T type;
};
template <class T>
HRESULT Give(T* out, const typename Same<T>::type& value) {
  if (!out) return E_INVALIDARG;
  *out = value;
  return S_OK;
}
}  // namespace

HRESULT CUIRichEdit::QueryInterface(REFIID riid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (riid == IID_IUnknown || riid == IID_ITextHost)
    *out = static_cast<ITextHost*>(this);
  else if (riid == IID_IRichEditOleCallback)
    *out = static_cast<IRichEditOleCallback*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

// The count is kept for the services' sake only: the control tree owns the object.
ULONG CUIRichEdit::AddRef() { return (ULONG)++m_refs; }
ULONG CUIRichEdit::Release() { return (ULONG)--m_refs; }

HDC CUIRichEdit::TxGetDC() { return ::GetDC(HostHwnd()); }

INT CUIRichEdit::TxReleaseDC(HDC hdc) {
  ::ReleaseDC(HostHwnd(), hdc);
  return 1;
}

void CUIRichEdit::TxInvalidateRect(LPCRECT rect, BOOL erase) {
  HWND hwnd = HostHwnd();
  if (hwnd) ::InvalidateRect(hwnd, rect ? rect : &m_clientRect, erase);
}

void CUIRichEdit::TxViewChange(BOOL) {
  if (RepaintOnViewChange()) Invalidate();
}

BOOL CUIRichEdit::TxCreateCaret(HBITMAP bitmap, INT width, INT height) {
  return ::CreateCaret(HostHwnd(), bitmap, width, height);
}

BOOL CUIRichEdit::TxShowCaret(BOOL show) {
  if (!OnLayeredHost()) return show ? ::ShowCaret(HostHwnd()) : ::HideCaret(HostHwnd());
  if (m_focused) {
    m_caretShown = show != FALSE;
    InvalidateCaret();
  }
  return TRUE;
}

BOOL CUIRichEdit::TxSetCaretPos(INT x, INT y) {
  if (!OnLayeredHost()) return ::SetCaretPos(x, y);
  m_caretX = x;
  m_caretY = y;
  return TRUE;
}

BOOL CUIRichEdit::TxSetTimer(UINT id, UINT timeout) {
  HWND hwnd = HostHwnd();
  if (!hwnd || !::SetTimer(hwnd, id, timeout, nullptr)) return FALSE;
  m_hostFlags |= kHostTimerRunning;
  m_servicesTimers.insert(id);
  return TRUE;
}

void CUIRichEdit::TxKillTimer(UINT id) {
  HWND hwnd = HostHwnd();
  if (hwnd) ::KillTimer(hwnd, id);
  m_servicesTimers.erase(id);
  m_hostFlags &= ~kHostTimerRunning;
}

void CUIRichEdit::TxSetCapture(BOOL capture) {
  if (capture)
    ::SetCapture(HostHwnd());
  else
    ::ReleaseCapture();
  m_hostFlags = capture ? (m_hostFlags | kHostHasCapture) : (m_hostFlags & ~kHostHasCapture);
}

void CUIRichEdit::TxSetFocus() { SetFocus(true); }

BOOL CUIRichEdit::TxScreenToClient(LPPOINT pt) { return ::ScreenToClient(HostHwnd(), pt); }
BOOL CUIRichEdit::TxClientToScreen(LPPOINT pt) { return ::ClientToScreen(HostHwnd(), pt); }

HRESULT CUIRichEdit::TxGetClientRect(LPRECT rect) { return Give(rect, m_clientRect); }

HRESULT CUIRichEdit::TxGetViewInset(LPRECT rect) { return Give(rect, RECT{0, 0, 0, 0}); }

HRESULT CUIRichEdit::TxGetCharFormat(const CHARFORMATW** format) {
  return Give(format, reinterpret_cast<const CHARFORMATW*>(&m_charFormat));
}

HRESULT CUIRichEdit::TxGetParaFormat(const PARAFORMAT** format) {
  return Give(format, static_cast<const PARAFORMAT*>(&m_paraFormat));
}

HRESULT CUIRichEdit::TxGetBackStyle(TXTBACKSTYLE* style) {
  return Give(style, (m_hostFlags & kHostTransparent) ? TXTBACK_TRANSPARENT : TXTBACK_OPAQUE);
}

HRESULT CUIRichEdit::TxGetMaxLength(DWORD* length) { return Give(length, (DWORD)m_maxLength); }

HRESULT CUIRichEdit::TxGetScrollBars(DWORD* bars) {
  return Give(bars,
              m_style & (WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_DISABLENOSCROLL));
}

HRESULT CUIRichEdit::TxGetPasswordChar(TCHAR* ch) { return Give(ch, m_passwordChar); }

HRESULT CUIRichEdit::TxGetAcceleratorPos(LONG* pos) { return Give(pos, m_acceleratorPos); }

HRESULT CUIRichEdit::TxGetExtent(LPSIZEL extent) { return Give(extent, m_extent); }

HRESULT CUIRichEdit::TxGetPropertyBits(DWORD mask, DWORD* bits) {
  if (!bits) return E_INVALIDARG;
  *bits = RichEditPropertyBits(m_style, m_hostFlags, mask);
  return S_OK;
}

HRESULT CUIRichEdit::TxNotify(DWORD code, void* record) {
  if (code == EN_REQUESTRESIZE && record) {
    const REQRESIZE* request = static_cast<const REQRESIZE*>(record);
    m_clientRect.right = m_clientRect.left + (request->rc.right - request->rc.left);
    m_clientRect.bottom = m_clientRect.top + (request->rc.bottom - request->rc.top);
    UpdateExtent();
  }
  NotifyParent(code, record);
  return S_OK;
}

HRESULT CUIRichEdit::TxGetSelectionBarWidth(LONG* width) { return Give(width, m_selBarWidth); }

}  // namespace ZOV
