// CHostWnd: creation from "view" attributes, the message map, script events, modal loop.
#include "HostWnd.h"

#include <shellapi.h>

#include <cstdlib>
#include <cstring>

#include "AccessibleEvents.h"
#include "AccessibleObject.h"
#include "AttrParse.h"
#include "CallByName.h"
#include "DpiScale.h"
#include "Engine.h"
#include "ResourceManager.h"
#include "TextConv.h"
#include "UIBuilder.h"

namespace ZOV {

const wchar_t kHostWindowClass[] = L"ZOV_WINDOWCLASS";

namespace {
const wchar_t kEndModalProp[] = L"END_MODAL_NOTIFY";
const wchar_t kModalRetProp[] = L"MODAL_RET";
const int kBorderUnits = 6;  // the sizing border, in skin units

}  // namespace

int ResizeBorderHitTest(POINT p, int w, int h) {
  const int border = Dpi().ToDevice(kBorderUnits);
  bool left = p.x <= border, right = p.x >= w - border;
  bool top = p.y <= border, bottom = p.y >= h - border;
  if (left && top) return HTTOPLEFT;
  if (right && top) return HTTOPRIGHT;
  if (left && bottom) return HTBOTTOMLEFT;
  if (right && bottom) return HTBOTTOMRIGHT;
  if (left) return HTLEFT;
  if (right) return HTRIGHT;
  if (top) return HTTOP;
  if (bottom) return HTBOTTOM;
  return HTCLIENT;
}

CHostWnd::CHostWnd() {
  MapMessage(WM_CREATE, &CHostWnd::OnCreate);
  MapMessage(WM_CLOSE, &CHostWnd::OnClose);
  MapMessage(WM_DESTROY, &CHostWnd::OnDestroy);
  MapMessage(WM_PAINT, &CHostWnd::OnPaint);
  MapMessage(WM_SIZE, &CHostWnd::OnSize);
  MapMessage(WM_TIMER, &CHostWnd::OnTimer);
  MapMessage(WM_DROPFILES, &CHostWnd::OnDropFiles);
  MapMessage(WM_GETMINMAXINFO, &CHostWnd::OnGetMinMaxInfo);
  MapMessage(WM_SYSCOMMAND, &CHostWnd::OnSysCommand);
  MapMessage(WM_NCHITTEST, &CHostWnd::OnNcHitTest);
  MapMessage(WM_MOUSEMOVE, &CHostWnd::OnMouseMove);
  MapMessage(WM_MOUSELEAVE, &CHostWnd::OnMouseLeave);
  MapMessage(WM_KEYDOWN, &CHostWnd::OnKeyDown);
  MapMessage(WM_CHAR, &CHostWnd::OnChar);
  MapMessage(WM_LBUTTONDOWN, &CHostWnd::OnLButtonDown);
  MapMessage(WM_SETFOCUS, &CHostWnd::OnSetFocus);
  MapMessage(WM_ACTIVATE, &CHostWnd::OnActivate);
  MapMessage(WM_GETOBJECT, &CHostWnd::OnGetObject);
  MapMessage(AccActionMessage(), &CHostWnd::OnAccAction);
}

CHostWnd::~CHostWnd() {
  DisconnectAccessibleSubtree(m_root.get());  // its WM_DESTROY will not reach this object
  if (m_hwnd) {
    // Detach first: no message may reach a half-destroyed object.
    ::SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
    HWND hwnd = m_hwnd;
    m_hwnd = nullptr;
    ::DestroyWindow(hwnd);
    CUIBuilder::Instance().UnregisterWindow(m_id, this);
  }
  m_focus = m_capture = nullptr;
}

void CHostWnd::ParseXml(const XmlNode* e) {
  if (!e) return;
  if (const char* id = Attr(e, "id")) m_id = text::AnsiToWide(id);  // the ANSI page, not UTF-8
  if (const char* v = Attr(e, "ondropfile")) m_onDropFile = v;
  if (const char* v = Attr(e, "oncreate")) m_onCreate = v;
  if (const char* v = Attr(e, "onclose")) m_onClose = v;
  if (const char* v = Attr(e, "onsize")) m_onSize = v;
  if (const char* v = Attr(e, "center")) m_center = ParseFlag(v);
  if (const char* v = Attr(e, "minbox")) m_minBox = ParseFlag(v);
  if (const char* v = Attr(e, "maxbox")) m_maxBox = ParseFlag(v);
  if (const char* v = Attr(e, "sysmenu")) m_sysMenu = ParseFlag(v);
  if (const char* v = Attr(e, "resize")) m_resize = ParseFlag(v);
  if (const char* v = Attr(e, "modal")) m_modal = ParseFlag(v);
  if (const char* v = Attr(e, "layered")) m_layered = ParseFlag(v);
  if (const char* v = Attr(e, "toolwindow")) m_toolWindow = ParseFlag(v);
  if (const char* v = Attr(e, "enabledrop")) m_dropAccepted = ParseFlag(v);
  // Geometry in skin units, kept in device pixels.
  const DpiScale& dpi = Dpi();
  int left = std::atoi(AttrOr(e, "left", "0")), top = std::atoi(AttrOr(e, "top", "0"));
  int width = std::atoi(AttrOr(e, "width", "0")), height = std::atoi(AttrOr(e, "height", "0"));
  m_windowRect = dpi.ToDevice(RECT{left, top, left + width, top + height});
  int pair[2];
  if (const char* v = Attr(e, "mininfo")) {
    ParseNumberList(v, pair, 2);
    m_minTrack = {dpi.ToDevice(pair[0]), dpi.ToDevice(pair[1])};
  }
  if (const char* v = Attr(e, "maxinfo")) {
    ParseNumberList(v, pair, 2);
    m_maxTrack = {dpi.ToDevice(pair[0]), dpi.ToDevice(pair[1])};
  }
  if (const char* v = Attr(e, "caption")) m_caption = dpi.ToDevice(ParseRectList(v));
  if (const char* v = Attr(e, "windowtext")) m_text = text::Utf8ToWide(v);
  if (const char* v = Attr(e, "focuscolor")) m_focusOuter = m_focusInner = CResourceManager::Instance().ParseColor(v);
  if (m_resize) {
    MapMessage(WM_SETCURSOR, &CHostWnd::OnSetCursor);
    MapMessage(WM_NCLBUTTONDOWN, &CHostWnd::OnNcLButtonDown);
  }
}

HWND CHostWnd::Create(HWND owner) {
  if (m_hwnd) return m_hwnd;
  // Registered on the host program's instance before every creation; already there is fine.
  HINSTANCE inst = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW wc = {sizeof(wc)};
  wc.style = CS_VREDRAW | CS_HREDRAW;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = inst;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kHostWindowClass;
  if (!::RegisterClassExW(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  DWORD exStyle = m_toolWindow ? (m_modal ? 0 : WS_EX_TOOLWINDOW) : WS_EX_APPWINDOW;
  if (m_layered) exStyle |= WS_EX_LAYERED;
  DWORD style = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  if (m_maxBox) style |= WS_MAXIMIZEBOX;
  if (m_minBox) style |= WS_MINIMIZEBOX;
  if (m_sysMenu) style |= WS_SYSMENU;
  const RECT& r = m_windowRect;
  HWND hwnd = ::CreateWindowExW(exStyle, kHostWindowClass, m_text.c_str(), style, r.left, r.top,
                                r.right - r.left, r.bottom - r.top, owner, nullptr, inst, this);
  if (!hwnd) return nullptr;
  if (m_center) Center();
  // The root follows the window's size from the start.
  if (m_root) m_root->LayoutInParent();
  if (m_layered) ::InvalidateRect(hwnd, nullptr, FALSE);
  return hwnd;
}

void CHostWnd::ReleaseAfterDestroy() {
  // The control tree and the window's tables go with the system window. The object itself
  // stays, small, for scripts that still hold it: its methods do nothing without a window.
  m_focus = m_capture = nullptr;
  ControlPtr root = std::move(m_root);
  std::map<UINT, Handler>().swap(m_messageMap);
  std::wstring().swap(m_text);
  std::string().swap(m_onDropFile);
  std::string().swap(m_onCreate);
  std::string().swap(m_onClose);
  std::string().swap(m_onSize);
}

void CHostWnd::SetRootControl(const ControlPtr& root) {
  if (m_root == root) return;
  DisconnectAccessibleSubtree(m_root.get());
  m_focus = m_capture = nullptr;
  m_root = root;
  m_focus = m_root.get();
  if (m_root) m_root->SetHostWnd(this);
}

void CHostWnd::SetWindowRect(int left, int top, int right, int bottom) {
  m_windowRect = {left, top, right, bottom};
  if (m_hwnd) ::MoveWindow(m_hwnd, left, top, right - left, bottom - top, FALSE);
}

RECT CHostWnd::GetWindowSize() const {
  RECT r = m_windowRect;
  if (m_hwnd) ::GetWindowRect(m_hwnd, &r);
  return {0, 0, r.right - r.left, r.bottom - r.top};
}

// ---- window procedure and message processing ----

LRESULT CALLBACK CHostWnd::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<CHostWnd*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    if (self) self->m_hwnd = hwnd;
  }
  auto* self = reinterpret_cast<CHostWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    LRESULT r = ::CallWindowProcW(self->m_prevProc, hwnd, msg, wParam, lParam);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->m_hwnd = nullptr;
    self->ReleaseAfterDestroy();
    return r;
  }
  return self->ProcessMessage(msg, wParam, lParam);
}

LRESULT CHostWnd::ProcessMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  auto it = m_messageMap.find(msg);
  if (it != m_messageMap.end()) {
    bool handled = false;
    LRESULT r = (this->*(it->second))(msg, wParam, lParam, handled);
    if (handled) return r;
  } else {
    if (msg == WM_NOTIFY && lParam) {
      // Reflected back to the control window that notified.
      const NMHDR* hdr = reinterpret_cast<const NMHDR*>(lParam);
      ::SendMessageW(hdr->hwndFrom, 0x204E, wParam, lParam);
      return 1;
    }
    if ((msg >= 0x201 && msg <= 0x20D) || (msg >= 0x100 && msg <= 0x108)) {
      if (m_root) return RouteToRoot(msg, wParam, lParam, nullptr);
    }
  }
  return ::CallWindowProcW(m_prevProc, m_hwnd, msg, wParam, lParam);
}

LRESULT CHostWnd::RouteToRoot(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) {
  if (!m_root) return 0;
  ControlPtr root = m_root;  // a script may replace the root while the message runs
  return root->OnMessage(msg, wParam, lParam, handled);
}

bool CHostWnd::CallScriptEvent(const std::string& name, WPARAM wParam, LPARAM lParam) {
  lua_State* L = CEngine::Instance().LuaState();
  if (!L) return false;
  // As numbers of their full width: a drop handle (wParam of WM_DROPFILES) may lie above
  // 2^32 on 64-bit Windows. On 32-bit Windows these are the unsigned and signed 32-bit values.
  return lua_tinker::call<bool>(L, name.c_str(), static_cast<lua_Number>(wParam),
                                static_cast<lua_Number>(static_cast<LONG_PTR>(lParam)));
}

LRESULT CHostWnd::OnCreate(UINT, WPARAM wParam, LPARAM lParam, bool&) {
  if (m_layered) ::SetTimer(m_hwnd, kCaretTimerId, 600, nullptr);
  ::DragAcceptFiles(m_hwnd, m_dropAccepted);
  CUIBuilder::Instance().RegisterWindow(m_id, this);
  if (!m_onCreate.empty()) CallScriptEvent(m_onCreate, wParam, lParam);
  return 0;  // default processing follows
}

LRESULT CHostWnd::OnClose(UINT, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (!m_onClose.empty() && CallScriptEvent(m_onClose, wParam, lParam)) handled = true;
  return 0;
}

LRESULT CHostWnd::OnDestroy(UINT, WPARAM, LPARAM, bool&) {
  DisconnectAccessibleSubtree(m_root.get());  // clients may hold objects of the controls
  CUIBuilder::Instance().UnregisterWindow(m_id, this);
  return 0;
}

LRESULT CHostWnd::OnSize(UINT, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (m_root) m_root->LayoutInParent();
  handled = true;
  // The script reads the client size in skin units, as it wrote the window's.
  const DpiScale& dpi = Dpi();
  LPARAM units = MAKELPARAM(dpi.ToUnits(LOWORD(lParam)), dpi.ToUnits(HIWORD(lParam)));
  if (!m_onSize.empty()) handled = CallScriptEvent(m_onSize, wParam, units);
  return 0;
}

LRESULT CHostWnd::OnDropFiles(UINT, WPARAM wParam, LPARAM lParam, bool& handled) {
  // The script owns the drop handle from here on.
  if (!m_onDropFile.empty()) CallScriptEvent(m_onDropFile, wParam, lParam);
  handled = true;
  return 0;
}

LRESULT CHostWnd::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool& handled) {
  auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
  if (m_minTrack.x > 0) info->ptMinTrackSize.x = m_minTrack.x;
  if (m_minTrack.y > 0) info->ptMinTrackSize.y = m_minTrack.y;
  if (m_maxTrack.x > 0) info->ptMaxTrackSize.x = m_maxTrack.x;
  if (m_maxTrack.y > 0) info->ptMaxTrackSize.y = m_maxTrack.y;
  handled = true;
  return 0;
}

LRESULT CHostWnd::OnSysCommand(UINT, WPARAM wParam, LPARAM, bool& handled) {
  if ((wParam & 0xFFF0) == SC_CLOSE && ::IsWindowEnabled(m_hwnd)) {
    ::PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
    handled = true;
  }
  return 0;
}

LRESULT CHostWnd::OnNcHitTest(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  handled = true;
  bool byControl = false;
  RouteToRoot(msg, wParam, lParam, &byControl);
  if (byControl) return HTCLIENT;
  POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
  ::ScreenToClient(m_hwnd, &pt);
  if (m_resize) {
    RECT size = GetWindowSize();
    int code = ResizeBorderHitTest(pt, size.right, size.bottom);
    if (code != HTCLIENT) return code;
  }
  if (PtInRect(&m_caption, pt)) {
    RouteToRoot(WM_MOUSEMOVE, 0, MAKELPARAM(pt.x, pt.y), nullptr);
    return HTCAPTION;
  }
  return HTCLIENT;
}

LRESULT CHostWnd::OnMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (m_needLeaveTracking) {
    TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, m_hwnd, 0};
    if (::TrackMouseEvent(&tme)) m_needLeaveTracking = false;
  }
  handled = true;
  return RouteToRoot(msg, wParam, lParam, nullptr);
}

LRESULT CHostWnd::OnMouseLeave(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  m_needLeaveTracking = true;
  handled = true;
  return RouteToRoot(msg, wParam, lParam, nullptr);
}

LRESULT CHostWnd::OnTimer(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (wParam == kCaretTimerId) {
    handled = true;
    // Makes the caret blink in layered windows, which get no caret of the system's.
    if (m_focus && m_focus->GetType() == kTypeEdit)
      ::InvalidateRect(m_hwnd, &m_focus->GetRect(), FALSE);
    else
      ::KillTimer(m_hwnd, kCaretTimerId);
  } else if (wParam == kRichEditTimerId && m_layered && m_focus && m_focus->GetType() == kTypeRichEdit) {
    handled = true;
    return m_focus->OnMessage(msg, wParam, lParam, nullptr);
  }
  return 0;
}

LRESULT CHostWnd::OnSetCursor(UINT, WPARAM, LPARAM lParam, bool& handled) {
  LPCWSTR cursor = nullptr;
  switch (LOWORD(lParam)) {
    case HTLEFT: case HTRIGHT: cursor = IDC_SIZEWE; break;
    case HTTOP: case HTBOTTOM: cursor = IDC_SIZENS; break;
    case HTTOPLEFT: case HTBOTTOMRIGHT: cursor = IDC_SIZENWSE; break;
    case HTTOPRIGHT: case HTBOTTOMLEFT: cursor = IDC_SIZENESW; break;
    default: return 0;
  }
  ::SetCursor(::LoadCursorW(nullptr, cursor));
  handled = true;
  return TRUE;
}

LRESULT CHostWnd::OnNcLButtonDown(UINT, WPARAM wParam, LPARAM lParam, bool& handled) {
  WPARAM direction = 0;
  switch (wParam) {
    case HTLEFT: direction = 1; break;
    case HTRIGHT: direction = 2; break;
    case HTTOP: direction = 3; break;
    case HTTOPLEFT: direction = 4; break;
    case HTTOPRIGHT: direction = 5; break;
    case HTBOTTOM: direction = 6; break;
    case HTBOTTOMLEFT: direction = 7; break;
    case HTBOTTOMRIGHT: direction = 8; break;
    default: return 0;
  }
  ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_SIZE + direction, lParam);
  handled = true;
  return 0;
}

// ---- script methods ----

void CHostWnd::Close(int code) {
  if (m_hwnd) ::PostMessageW(m_hwnd, WM_CLOSE, (WPARAM)code, 0);
}

unsigned CHostWnd::DoModal(HWND owner) {
  if (!m_hwnd || !::IsWindow(m_hwnd)) return 0;
  HWND hwnd = m_hwnd;
  ::ShowWindow(hwnd, SW_SHOWNORMAL);
  bool disabledOwner = false;
  if (owner && owner != ::GetDesktopWindow() && ::IsWindowEnabled(owner)) {
    ::EnableWindow(owner, FALSE);
    disabledOwner = true;
  }
  unsigned result = 0;
  bool quit = false;
  int quitCode = 0;
  MSG msg;
  for (;;) {
    BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      quit = true;
      quitCode = (int)msg.wParam;
      break;
    }
    if (got == -1) break;
    if (::IsWindow(hwnd) && (INT_PTR)::GetPropW(hwnd, kEndModalProp) == 1) {
      result = (unsigned)(UINT_PTR)::GetPropW(hwnd, kModalRetProp);
      break;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
    if (!::IsWindow(hwnd)) break;
  }
  if (disabledOwner) ::EnableWindow(owner, TRUE);
  if (owner && ::IsWindow(hwnd) && ::GetActiveWindow() == hwnd) ::SetActiveWindow(owner);
  if (::IsWindow(hwnd)) {
    ::RemovePropW(hwnd, kEndModalProp);
    ::RemovePropW(hwnd, kModalRetProp);
    ::DestroyWindow(hwnd);
  }
  // The application is quitting: hand the quit message on, or the outer loop never ends.
  if (quit) ::PostQuitMessage(quitCode);
  return result;
}

int CHostWnd::EndDialog(int code) {
  if (!m_hwnd) return 0;
  ::SetPropW(m_hwnd, kEndModalProp, (HANDLE)1);
  ::SetPropW(m_hwnd, kModalRetProp, (HANDLE)(INT_PTR)code);
  ::PostMessageW(m_hwnd, WM_NULL, 0, 0);
  return 1;
}

void CHostWnd::SetDragAccept(bool accept) {
  m_dropAccepted = accept;
  if (m_hwnd) ::DragAcceptFiles(m_hwnd, accept);
}

LRESULT CHostWnd::SendMessageToWindow(unsigned msg, WPARAM wParam, LPARAM lParam) {
  return m_hwnd ? ::SendMessageW(m_hwnd, msg, wParam, lParam) : 0;
}

BOOL CHostWnd::PostMessageToWindow(unsigned msg, WPARAM wParam, LPARAM lParam) {
  return m_hwnd ? ::PostMessageW(m_hwnd, msg, wParam, lParam) : FALSE;
}

void CHostWnd::Min() {
  if (m_hwnd) ::PostMessageW(m_hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void CHostWnd::Max() {
  if (m_hwnd) ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
}

void CHostWnd::Restore() {
  if (m_hwnd) ::SendMessageW(m_hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
}

int CHostWnd::BringToTop() { return m_hwnd ? ::SetForegroundWindow(m_hwnd) : 0; }

void CHostWnd::SetIDText(const char* utf8) { m_id = text::Utf8ToWide(utf8 ? utf8 : ""); }

int CHostWnd::SetVisible(bool show) {
  if (!m_hwnd) return 0;
  int r = ::ShowWindow(m_hwnd, show ? SW_SHOWNORMAL : SW_HIDE);
  ::InvalidateRect(m_hwnd, nullptr, TRUE);
  return r;
}

bool CHostWnd::SetIconByResID(int resourceId, int big) {
  if (!m_hwnd) return false;
  int cx = ::GetSystemMetrics(big ? SM_CXICON : SM_CXSMICON);
  int cy = ::GetSystemMetrics(big ? SM_CYICON : SM_CYSMICON);
  HANDLE icon = ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), IMAGE_ICON, cx, cy,
                             LR_DEFAULTCOLOR | LR_SHARED);
  ::SendMessageW(m_hwnd, WM_SETICON, big ? ICON_BIG : ICON_SMALL, (LPARAM)icon);
  return true;
}

}  // namespace ZOV
