// CUIRichEdit as the text services' ITextHost: the host window's DC, caret, timers, capture,
// invalidation, and the stored rectangles and formats.
#include "UIRichEdit.h"

#include "HostWnd.h"
#include "RichEditFormat.h"

namespace ZOV {

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

HRESULT CUIRichEdit::TxGetClientRect(LPRECT rect) {
  if (!rect) return E_INVALIDARG;
  *rect = m_clientRect;
  return S_OK;
}

HRESULT CUIRichEdit::TxGetViewInset(LPRECT rect) {
  if (!rect) return E_INVALIDARG;
  *rect = RECT{0, 0, 0, 0};
  return S_OK;
}

HRESULT CUIRichEdit::TxGetCharFormat(const CHARFORMATW** format) {
  if (!format) return E_INVALIDARG;
  *format = reinterpret_cast<const CHARFORMATW*>(&m_charFormat);
  return S_OK;
}

HRESULT CUIRichEdit::TxGetParaFormat(const PARAFORMAT** format) {
  if (!format) return E_INVALIDARG;
  *format = &m_paraFormat;
  return S_OK;
}

HRESULT CUIRichEdit::TxGetBackStyle(TXTBACKSTYLE* style) {
  if (!style) return E_INVALIDARG;
  *style = (m_hostFlags & kHostTransparent) ? TXTBACK_TRANSPARENT : TXTBACK_OPAQUE;
  return S_OK;
}

HRESULT CUIRichEdit::TxGetMaxLength(DWORD* length) {
  if (!length) return E_INVALIDARG;
  *length = (DWORD)m_maxLength;
  return S_OK;
}

HRESULT CUIRichEdit::TxGetScrollBars(DWORD* bars) {
  if (!bars) return E_INVALIDARG;
  *bars = m_style & (WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_DISABLENOSCROLL);
  return S_OK;
}

HRESULT CUIRichEdit::TxGetPasswordChar(TCHAR* ch) {
  if (!ch) return E_INVALIDARG;
  *ch = m_passwordChar;
  return S_OK;
}

HRESULT CUIRichEdit::TxGetAcceleratorPos(LONG* pos) {
  if (!pos) return E_INVALIDARG;
  *pos = m_acceleratorPos;
  return S_OK;
}

HRESULT CUIRichEdit::TxGetExtent(LPSIZEL extent) {
  if (!extent) return E_INVALIDARG;
  *extent = m_extent;
  return S_OK;
}

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

HRESULT CUIRichEdit::TxGetSelectionBarWidth(LONG* width) {
  if (!width) return E_INVALIDARG;
  *width = m_selBarWidth;
  return S_OK;
}

}  // namespace ZOV
