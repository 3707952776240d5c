// CUITabCtrl: the selected page alone is painted and fed.
#include "UITabCtrl.h"

#include <windowsx.h>

#include <cstdlib>

#include "AccessibleEvents.h"
#include "ControlDraw.h"
#include "HostWnd.h"

namespace ZOV {

CUITabCtrl::CUITabCtrl() { m_type = kTypeTabCtrl; }

std::shared_ptr<CUIControl> CUITabCtrl::Clone() const {
  auto copy = std::make_shared<CUITabCtrl>(*this);
  copy->CloneChildrenFrom(*this);
  return copy;
}

int CUITabCtrl::ParseAttributes(const XmlNode* element) {
  CUIControlContainer::ParseAttributes(element);
  // A negative "select" wraps to a large index, which names no page: nothing is shown.
  if (const char* v = Attr(element, "select")) m_selected = (unsigned)std::atoi(v);
  return 1;
}

CUIControl* CUITabCtrl::GetCurSelectControl() const {
  return m_selected < m_children.size() ? m_children[m_selected].get() : nullptr;
}

int CUITabCtrl::SelectItem(unsigned index) {
  if (index >= m_children.size()) return 0;
  bool changed = m_selected != index;
  m_selected = index;
  Invalidate();
  if (changed) RaiseAccEvent(m_children[index].get(), EVENT_OBJECT_SELECTION);
  return 1;
}

void CUITabCtrl::ChildRemoved(size_t index) {
  // The page on show stays on show when one before it goes.
  if (index < m_selected) --m_selected;
}

void CUITabCtrl::Paint(HDC hdc) {
  ScopedClipRect clip(hdc, m_rect);
  CUIControl::PaintBkColor(hdc);
  CUIControl* page = GetCurSelectControl();
  if (page && page->IsVisible()) page->Paint(hdc);
  CUIControl::PaintBorder(hdc);
}

LRESULT CUITabCtrl::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) {
  if (msg >= WM_KEYDOWN && msg <= WM_SYSDEADCHAR && IsFocus()) {
    // Its pages would hand the keys back to the focus control, this one.
    if (msg != WM_KEYDOWN || m_children.empty()) return 0;
    unsigned n = (unsigned)m_children.size(), at = m_selected < n ? m_selected : 0;
    switch (wParam) {
      case VK_LEFT: case VK_UP: SelectItem((at + n - 1) % n); break;
      case VK_RIGHT: case VK_DOWN: SelectItem((at + 1) % n); break;
      case VK_HOME: SelectItem(0); break;
      case VK_END: SelectItem(n - 1); break;
      default: return 0;
    }
    if (handled) *handled = true;
    return 0;
  }
  if (m_selected >= m_children.size()) return 0;
  ControlPtr page = m_children[m_selected];  // kept alive: it may be removed while it handles this
  bool mouse =
      msg == WM_NCHITTEST || msg == WM_MOUSEHOVER || (msg >= WM_MOUSEFIRST && msg <= WM_XBUTTONDBLCLK);
  if (mouse) {
    POINT pt = {(LONG)LOWORD(lParam), (LONG)HIWORD(lParam)};
    if (msg == WM_NCHITTEST || msg == WM_MOUSEWHEEL) {
      pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      HWND hwnd = m_host ? m_host->GetHWND() : nullptr;
      if (hwnd) ::ScreenToClient(hwnd, &pt);
    }
    if (!PtInRect(&page->GetRect(), pt)) return 0;
  }
  return page->OnMessage(msg, wParam, lParam, handled);
}

}  // namespace ZOV
