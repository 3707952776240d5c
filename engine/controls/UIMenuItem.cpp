// CUIMenuItem: submenus on hover.
#include "UIMenuItem.h"

#include "MenuWnd.h"

using namespace ZOV;

CUIMenuItem::CUIMenuItem() = default;  // type code of the radio button

CUIMenuItem::CUIMenuItem(const CUIMenuItem& other) : CUIRadioButton(other), m_submenu(other.m_submenu) {}

CUIMenuItem::~CUIMenuItem() = default;

std::shared_ptr<CUIControl> CUIMenuItem::Clone() const { return std::make_shared<CUIMenuItem>(*this); }

int CUIMenuItem::ParseAttributes(const XmlNode* element) {
  int result = CUIRadioButton::ParseAttributes(element);
  if (const char* v = Attr(element, "submenu")) m_submenu = v;
  return result;
}

LRESULT CUIMenuItem::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool*) {
  bool ignored = false;
  CUIButton::OnMessage(msg, wParam, lParam, &ignored);
  auto* menu = dynamic_cast<CMenuWnd*>(m_host);
  if (msg != WM_MOUSEHOVER || !menu || !menu->GetHWND()) return 0;
  if (m_submenu.empty()) {
    menu->CloseSubmenu();
    return 0;
  }
  // The button captured the mouse on entering; the submenu must get it.
  ReleaseMouse();
  OpenSubmenu();
  return 0;
}

int CUIMenuItem::OpenSubmenu() {
  auto* menu = dynamic_cast<CMenuWnd*>(m_host);
  if (m_submenu.empty() || !menu || !menu->GetHWND()) return -2;
  POINT corner = {m_rect.right, m_rect.top};
  ::ClientToScreen(menu->GetHWND(), &corner);
  // Keeps this item alive across the submenu's loop, in which its menu may change.
  ControlPtr self = shared_from_this();
  return menu->OpenSubmenu(corner.x, corner.y, m_submenu.c_str());
}

void CUIMenuItem::Click() {
  if (!m_enabled) return;
  if (m_submenu.empty())
    CUIButton::Click();
  else
    OpenSubmenu();
}
