// CUIMenuItem: the radio button used in popup menus. Entering it opens its submenu, or closes
// the submenu that its menu has open.
#pragma once

#include <string>

#include "UIRadioButton.h"

class CUIMenuItem : public ZOV::CUIRadioButton {
 public:
  CUIMenuItem();
  CUIMenuItem(const CUIMenuItem& other);
  ~CUIMenuItem() override;

  std::shared_ptr<ZOV::CUIControl> Clone() const override;
  // The radio button's attributes, then "submenu" (the "ui" document of the submenu).
  int ParseAttributes(const ZOV::XmlNode* element) override;
  // Never handled. Hover and click behave as a button's (a click calls "onclick"; it does not
  // check the item as a radio button's click would); entering the item opens or closes
  // submenus of its menu window.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;

  const char* GetSubmenu() const { return m_submenu.c_str(); }
  // Opens the submenu at the item's right edge and runs it until it ends; -2 without one.
  int OpenSubmenu();
  // Opens the submenu, or calls "onclick" as a click does (a menu item is never checked).
  void Click() override;

 private:
  std::string m_submenu;
};
