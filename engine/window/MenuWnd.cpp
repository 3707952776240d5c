// CMenuWnd: the popup loop, its exit properties, submenus.
#include "MenuWnd.h"

#include "UIBuilder.h"
#include "UIList.h"
#include "UIMenuItem.h"

namespace ZOV {

namespace {
// The loop's exit request, set on the menu's window by EndMenu and by a submenu's end.
const wchar_t kCanExitProp[] = L"menu_loop_can_exit_now";
const wchar_t kCommandProp[] = L"this_is_the_menu_command_id";
const int kDismissed = -2;
const int kSubmenuClosed = -1;

bool IsKeyboardMessage(UINT m) {
  return m == WM_KEYDOWN || m == WM_KEYUP || m == WM_CHAR || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP ||
         m == WM_IME_CHAR;
}

bool IsButtonPress(UINT m) {
  return m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_NCLBUTTONDOWN || m == WM_NCRBUTTONDOWN;
}

void SetExitRequest(HWND wnd, int id) {
  ::SetPropW(wnd, kCommandProp, (HANDLE)(INT_PTR)id);
  ::SetPropW(wnd, kCanExitProp, (HANDLE)1);
}

void DestroyMenuWindow(HWND wnd) {
  if (!::IsWindow(wnd)) return;
  ::NotifyWinEvent(EVENT_SYSTEM_MENUPOPUPEND, wnd, OBJID_CLIENT, CHILDID_SELF);
  ::RemovePropW(wnd, kCanExitProp);
  ::RemovePropW(wnd, kCommandProp);
  ::DestroyWindow(wnd);
}

}  // namespace

CMenuWnd::CMenuWnd() {
  SetRootControl(std::make_shared<CUIList>());
  MapMessage(WM_KILLFOCUS, static_cast<Handler>(&CMenuWnd::OnKillFocus));
  MapMessage(WM_KEYDOWN, static_cast<Handler>(&CMenuWnd::OnMenuKey));
  MapMessage(WM_MOUSEMOVE, static_cast<Handler>(&CMenuWnd::OnMenuMouseMove));
  m_messageMap.erase(WM_ACTIVATE);  // a menu shows the keyboard's place by its highlight
}

CMenuWnd::~CMenuWnd() = default;

void CMenuWnd::ParseXml(const XmlNode* element) {
  CHostWnd::ParseXml(element);
  if (!m_root) return;
  m_root->ParseAttributes(element);
  // "left" and "top" place the window on the screen; its list keeps the size at the client's
  // origin.
  const RECT& d = m_root->GetDeclaredRect();
  if (d.left || d.top) m_root->SetPos({0, 0, d.right - d.left, d.bottom - d.top});
}

int CMenuWnd::TrackPopupMenu(int x, int y) {
  int result = kDismissed;
  HWND hwnd = m_hwnd;
  if (!hwnd) return result;
  POINT cursor;
  if (x < 0 && y < 0 && ::GetCursorPos(&cursor)) {
    x = cursor.x;
    y = cursor.y;
  }
  ::SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  m_tracking = true;
  ::NotifyWinEvent(EVENT_SYSTEM_MENUPOPUPSTART, hwnd, OBJID_CLIENT, CHILDID_SELF);
  // Where the pointer rests now: a move reported there is the window appearing under it, not
  // the user's (a menu opened at the cursor would otherwise open the submenu of the row that
  // lands under it, or take the highlight from a keyboard user).
  POINT at;
  if (::GetCursorPos(&at) && ::ScreenToClient(hwnd, &at)) m_lastMouse = MAKELPARAM(at.x, at.y);
  if (LastInputWasKeyboard() && HighlightedRow() < 0) HighlightRow(NextUsableRow(-1, 1));
  for (;;) {
    // A script may destroy the window under the loop (Close from a handler or a timer).
    if (!::IsWindow(hwnd)) break;
    if ((INT_PTR)::GetPropW(hwnd, kCanExitProp) == 1) {
      result = (int)(INT_PTR)::GetPropW(hwnd, kCommandProp);
      DestroyMenuWindow(hwnd);
      break;
    }
    MSG msg;
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      continue;
    }
    if (IsKeyboardMessage(msg.message)) msg.hwnd = hwnd;  // the menu gets all typing
    if (IsButtonPress(msg.message) && msg.hwnd != hwnd && !::IsChild(hwnd, msg.hwnd)) {
      // A press elsewhere dismisses the menu and still reaches its target.
      DestroyMenuWindow(hwnd);
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
      break;
    }
    if (msg.message == WM_QUIT) {
      // Handed on, so that the application's own loop ends too.
      ::DispatchMessageW(&msg);
      ::PostQuitMessage((int)msg.wParam);
      DestroyMenuWindow(hwnd);
      break;
    }
    if (msg.message == WM_KILLFOCUS) {
      DestroyMenuWindow(hwnd);
      break;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
  m_tracking = false;
  // A command chosen in a submenu ends every menu above it with the same id.
  if (m_parentMenu && result != kSubmenuClosed) m_parentMenu->EndMenu(result);
  return result;
}

int CMenuWnd::EndMenu(int id) {
  if (!m_hwnd) return 0;
  SetExitRequest(m_hwnd, id);
  return 1;
}

int CMenuWnd::OpenSubmenu(int x, int y, const char* path) {
  if (m_submenu || !path) return kDismissed;
  m_submenuPath = path;
  m_openingSubmenu = true;
  CMenuWnd* sub = CUIBuilder::Instance().CreateMenuFromXml(path);
  m_openingSubmenu = false;
  if (!sub) {
    m_submenuPath.clear();
    return kDismissed;
  }
  m_submenu = sub;
  sub->m_parentMenu = this;
  int result = sub->TrackPopupMenu(x, y);
  // The submenu is gone: another may open from this menu while it keeps running.
  m_submenu = nullptr;
  m_submenuPath.clear();
  return result;
}

void CMenuWnd::CloseSubmenu() {
  if (!m_submenu) return;
  m_submenu->EndMenu(kSubmenuClosed);
  m_submenu = nullptr;
  m_submenuPath.clear();
}

static CUIList* MenuList(const ControlPtr& root) { return dynamic_cast<CUIList*>(root.get()); }

int CMenuWnd::HighlightedRow() const {
  CUIList* list = MenuList(m_root);
  return list ? list->GetHoverRow() : -1;
}

int CMenuWnd::NextUsableRow(int from, int step) const {
  CUIList* list = MenuList(m_root);
  int n = list ? list->GetControlCount() : 0;
  for (int k = 1; k <= n; ++k) {
    int i = ((from + step * k) % n + n) % n;
    CUIControl* row = list->GetSubControl(i);
    if (row->IsVisible() && row->IsEnable()) return i;
  }
  return -1;
}

void CMenuWnd::HighlightRow(int index) {
  CUIList* list = MenuList(m_root);
  if (!list) return;
  auto* old = dynamic_cast<CUIButton*>(list->GetSubControl(list->GetHoverRow()));
  if (old && old->GetState() == kStateHover) old->SetState(kStateNormal);
  list->SetHoverRow(index);
  CUIControl* row = list->GetSubControl(index);
  if (auto* item = dynamic_cast<CUIButton*>(row)) item->SetState(kStateHover);
  if (row) {
    MoveFocus(row);
    list->ScrollRowIntoView(index);
  }
}

LRESULT CMenuWnd::OnMenuMouseMove(UINT msg, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (lParam == m_lastMouse) {  // no movement
    handled = true;
    return 0;
  }
  m_lastMouse = lParam;
  NoteKeyboardInput(false);
  return OnMouseMove(msg, wParam, lParam, handled);
}

LRESULT CMenuWnd::OnMenuKey(UINT, WPARAM key, LPARAM, bool& handled) {
  handled = true;
  NoteKeyboardInput(true);
  ShowKeyboardCues();
  CUIList* list = MenuList(m_root);
  if (!list || !m_hwnd) return 0;
  ControlPtr keep = m_root;  // a handler may close the menu
  int at = HighlightedRow();
  CUIControl* row = list->GetSubControl(at);
  auto* item = dynamic_cast<CUIMenuItem*>(row);
  switch (key) {
    case VK_DOWN:
    case VK_UP:
      HighlightRow(NextUsableRow(at, key == VK_DOWN ? 1 : -1));
      break;
    case VK_HOME:
      HighlightRow(NextUsableRow(-1, 1));
      break;
    case VK_END:
      HighlightRow(NextUsableRow(0, -1));
      break;
    case VK_RIGHT:
      if (item && *item->GetSubmenu() && item->IsEnable()) item->Click();
      break;
    case VK_RETURN:
    case VK_SPACE:
      if (!row || !row->IsEnable()) break;
      if (auto* button = dynamic_cast<CUIButton*>(row))
        button->Click();
      else
        EndMenu(at);  // a plain row, as in a combo box's list: its index is the choice
      break;
    case VK_LEFT:
      if (m_parentMenu) EndMenu(kSubmenuClosed);
      break;
    case VK_ESCAPE:
      EndMenu(m_parentMenu ? kSubmenuClosed : kDismissed);
      break;
    default:
      break;
  }
  return 0;
}

bool CMenuWnd::IsInSubmenuChain(HWND wnd) const {
  for (const CMenuWnd* m = this; m; m = m->m_submenu)
    if (wnd && m->m_hwnd == wnd) return true;
  return false;
}

LRESULT CMenuWnd::OnKillFocus(UINT, WPARAM wParam, LPARAM, bool&) {
  // Focus leaving a running menu for a window other than its own submenus dismisses it, as
  // a system menu does; a command already chosen stays. Moving into a submenu (or back from
  // one to its parent) does not, nor does anything before the menu is tracked.
  HWND gaining = (HWND)wParam;
  if (!m_hwnd || !m_tracking || m_openingSubmenu || IsInSubmenuChain(gaining)) return 0;
  for (const CMenuWnd* m = m_parentMenu; m; m = m->m_parentMenu)
    if (m->m_hwnd == gaining) return 0;
  if ((INT_PTR)::GetPropW(m_hwnd, kCanExitProp) != 1) SetExitRequest(m_hwnd, kDismissed);
  return 0;
}

}  // namespace ZOV
