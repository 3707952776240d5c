// CHostWnd painting (double-buffered, layered windows with per-pixel alpha) and centring.
#include "HostWnd.h"
#include "Image.h"
#include "StartupMark.h"

namespace ZOV {

LRESULT CHostWnd::OnPaint(UINT, WPARAM, LPARAM, bool& handled) {
  if (!m_root) return 0;
  handled = true;
  PAINTSTRUCT ps;
  HDC hdc = ::BeginPaint(m_hwnd, &ps);
  ::IntersectClipRect(hdc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom);
  RECT client;
  ::GetClientRect(m_hwnd, &client);
  int w = client.right, h = client.bottom;
  CImage buffer;  // a fresh off-screen image of the whole client area
  HDC mem = buffer.Create(w, h, 32, false) ? buffer.GetDC() : nullptr;
  if (mem) {
    // Transparent black to start with.
    TRIVERTEX v[2] = {{0, 0, 0, 0, 0, 0}, {w, h, 0, 0, 0, 0}};
    GRADIENT_RECT gr = {0, 1};
    ::GradientFill(mem, v, 2, &gr, 1, GRADIENT_FILL_RECT_H);
    int oldMode = ::SetBkMode(mem, TRANSPARENT);
    ControlPtr root = m_root;
    root->Paint(mem);
    PaintFocusCue(mem);
    ::SetBkMode(mem, oldMode);
    ::GdiFlush();
    if (m_layered) {
      // GDI leaves alpha 0 where it drew: every pixel with colour becomes opaque, and pure
      // black stays a hole.
      for (int y = 0; y < h; ++y) {
        BYTE* px = buffer.GetRow(y);
        for (int x = 0; x < w; ++x, px += 4)
          if (px[0] || px[1] || px[2]) px[3] = 0xFF;
      }
      POINT origin = {0, 0};
      ::ClientToScreen(m_hwnd, &origin);
      SIZE size = {w, h};
      POINT src = {0, 0};
      BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
      ::UpdateLayeredWindow(m_hwnd, nullptr, &origin, &size, mem, &src, 0, &blend, ULW_ALPHA);
    } else {
      ::BitBlt(hdc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
    }
    buffer.ReleaseDC();
  }
  ::EndPaint(m_hwnd, &ps);
  static bool painted = false;  // the mark is the first paint's: later paints skip the lookup
  if (!painted) {
    painted = true;
    StartupMark("first-paint");
  }
  return 0;
}

void CHostWnd::Center() {
  if (!m_hwnd) return;
  LONG style = ::GetWindowLongW(m_hwnd, GWL_STYLE);
  bool child = (style & WS_CHILD) != 0;
  HWND ref = child ? ::GetParent(m_hwnd) : ::GetWindow(m_hwnd, GW_OWNER);
  RECT win;
  ::GetWindowRect(m_hwnd, &win);
  int w = win.right - win.left, h = win.bottom - win.top;
  RECT area, limit;
  if (child) {
    ::GetClientRect(ref, &area);
    limit = area;
  } else {
    MONITORINFO mi = {sizeof(mi)};
    HMONITOR mon = ::MonitorFromWindow(ref ? ref : m_hwnd, MONITOR_DEFAULTTONEAREST);
    ::GetMonitorInfoW(mon, &mi);
    limit = mi.rcWork;
    if (ref && ::IsWindowVisible(ref) && !::IsIconic(ref))
      ::GetWindowRect(ref, &area);
    else
      area = limit;
  }
  int left = (area.left + area.right) / 2 - w / 2;
  int top = (area.top + area.bottom) / 2 - h / 2;
  if (left + w > limit.right) left = limit.right - w;
  if (left < limit.left) left = limit.left;
  if (top + h > limit.bottom) top = limit.bottom - h;
  if (top < limit.top) top = limit.top;
  ::SetWindowPos(m_hwnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace ZOV
