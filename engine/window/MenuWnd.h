// CMenuWnd: a skin-drawn popup menu — a host window whose root is a list of menu items, shown
// by TrackPopupMenu, which runs its own message loop until an item ends the menu, the user
// clicks elsewhere, the menu loses the focus or the application quits.
#pragma once

#include <string>

#include "HostWnd.h"

namespace ZOV {

class CMenuWnd : public CHostWnd {
 public:
  CMenuWnd();
  ~CMenuWnd() override;

  // The host window's attributes, then the root list reads the same element (its items).
  void ParseXml(const XmlNode* element) override;

  // Script methods. TrackPopupMenu: the command id that ended the menu, or -2 when it was
  // dismissed (outside click, focus loss, quit, window gone). Negative x and y together mean
  // the cursor position. The window is destroyed when the loop ends.
  int TrackPopupMenu(int x, int y);
  // Ends this menu's running loop with the id; 0 when the menu has no window.
  int EndMenu(int id);

  // Used by menu items. OpenSubmenu runs the menu of the "ui" document at path as a submenu
  // at a screen point and yields its result; -2 when one is open already or the document
  // makes no menu. CloseSubmenu ends the open submenu with -1, which stays with it.
  int OpenSubmenu(int x, int y, const char* path);
  void CloseSubmenu();
  CMenuWnd* GetOpenSubmenu() const { return m_submenu; }
  // Highlights the row at index as the pointer would, and gives it the focus; -1 clears.
  void HighlightRow(int index);

 private:
  LRESULT OnKillFocus(UINT, WPARAM, LPARAM, bool& handled);
  // Up and Down move the highlight over shown, enabled rows; Right and Enter open a submenu;
  // Enter and Space choose; Left and Esc close this level (Esc on the top one ends with -2).
  LRESULT OnMenuKey(UINT, WPARAM, LPARAM, bool& handled);
  // A move message with the pointer where it was (the system sends them when a window appears
  // under it, or on its own) leaves the keyboard's highlight alone.
  LRESULT OnMenuMouseMove(UINT, WPARAM, LPARAM, bool& handled);
  int HighlightedRow() const;
  // The next shown, enabled row after from (before, with step -1), wrapping; -1 when none.
  int NextUsableRow(int from, int step) const;
  // True when wnd is this menu's window or that of a submenu opened from it, directly or not.
  bool IsInSubmenuChain(HWND wnd) const;

  std::string m_submenuPath;         // the document of the open submenu; empty when none
  bool m_openingSubmenu = false;     // the submenu's window is being created and takes the focus
  bool m_tracking = false;           // TrackPopupMenu's loop runs
  CMenuWnd* m_parentMenu = nullptr;  // not owned; null for a top-level menu
  CMenuWnd* m_submenu = nullptr;     // not owned; the submenu open from this one
  LPARAM m_lastMouse = -1;           // client point of the last mouse move
};

}  // namespace ZOV
