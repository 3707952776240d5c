// Popup menu windows made from "ui" documents and run by their own loop, and the combo box
// that drops its list in one, on the virtual display, driven by real mouse input.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "DoBuffer.h"
#include "Engine.h"
#include "MenuWnd.h"
#include "TempDir.h"
#include "UIBuilder.h"
#include "UIComboBox.h"
#include "WindowPump.h"
#include "lua.hpp"

using namespace ZOV;

namespace {

std::vector<std::string> g_alerts;
int g_otherPresses = 0;
std::map<UINT_PTR, std::function<void()>> g_later;

int CollectAlert(lua_State* L) {
  g_alerts.push_back(lua_tostring(L, 1) ? lua_tostring(L, 1) : "");
  return 0;
}

// Runs fn once from a thread timer, inside whichever loop is running by then.
void CALLBACK RunLater(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  std::function<void()> fn = std::move(g_later[id]);
  g_later.erase(id);
  if (fn) fn();
}
void After(UINT ms, std::function<void()> fn) {
  g_later[::SetTimer(nullptr, 0, ms, RunLater)] = std::move(fn);
}

void MouseTo(int x, int y) {
  SetCursorPos(x, y);
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = MOUSEEVENTF_MOVE;  // no distance: a move message where the cursor is
  SendInput(1, &in, sizeof(in));
}

void Click(int x, int y) {
  MouseTo(x, y);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
}

LRESULT CALLBACK OtherProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_LBUTTONDOWN) ++g_otherPresses;
  return DefWindowProcW(h, m, w, l);
}

// Menus open at 100,100 with rows of 30 pixels: "Seven" (y 100 to 130) ends its menu with 7,
// "More" (130 to 160) opens a submenu at its top-right corner, 200,130, whose "Nine" ends
// it with 9.
class MenuWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    g_alerts.clear();
    CEngine::Instance().Init();
    lua_register(CEngine::Instance().LuaState(), "_ALERT", CollectAlert);
    ASSERT_EQ(CEngine::Instance().SkinLoader().SetPackagePath(m_skin.path()), 1);
    m_skin.Write(
        L"items.xml",
        R"(<ui><menu id="items" center="0" left="30" top="40" width="100" height="60" itemheight="30">
        <menuitem text="Seven" onclick="pick_seven"/><menuitem text="More" submenu="sub.xml"/></menu></ui>)");
    m_skin.Write(L"sub.xml", R"(<ui><menu id="sub" center="0" width="100" height="30" itemheight="30">
        <menuitem text="Nine" onclick="pick_nine"/></menu></ui>)");
    const char* handlers =
        "function pick_seven(item) item:GetHostWnd():EndMenu(7) end\n"
        "function pick_nine(item) item:GetHostWnd():EndMenu(9) end";
    lua_tinker::dobuffer(CEngine::Instance().LuaState(), handlers, strlen(handlers));
  }
  void TearDown() override {
    g_later.clear();
    if (m_other) DestroyWindow(m_other);
    Pump();
    CEngine::Instance().SkinLoader().CloseSkin();
  }
  CMenuWnd* Menu() { return CUIBuilder::Instance().CreateMenuFromXml("items.xml"); }
  HWND Other() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = OtherProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MenuTestOther";
    RegisterClassW(&wc);
    m_other = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, 400, 300, 100, 100, nullptr,
                              nullptr, wc.hInstance, nullptr);
    return m_other;
  }

  TempDir m_skin;
  HWND m_other = nullptr;
};

TEST_F(MenuWindow, AnItemsHandlerEndsTheMenuWhereTheCursorOpenedIt) {
  CMenuWnd* menu = Menu();
  HWND h = menu->GetHWND();
  RECT at = {}, list = {};
  SetCursorPos(100, 100);
  After(50, [&] {
    GetWindowRect(h, &at);
    list = menu->GetRootControl()->GetRect();
    Click(150, 115);
  });
  EXPECT_EQ(menu->TrackPopupMenu(-1, -1), 7);
  EXPECT_EQ(at.left, 100);
  EXPECT_EQ(at.top, 100);
  // "left" and "top" placed the window, not its list.
  EXPECT_TRUE(list.left == 0 && list.top == 0 && list.right == 100 && list.bottom == 60);
  EXPECT_FALSE(IsWindow(h));  // the loop destroys its window
  EXPECT_TRUE(g_alerts.empty());
}

TEST_F(MenuWindow, ACommandInASubmenuEndsBothMenusAndAnotherItemClosesTheSubmenuOnly) {
  CMenuWnd* menu = Menu();
  CMenuWnd* sub = nullptr;
  RECT subAt = {};
  After(50, [] { MouseTo(150, 145); });
  After(400, [&] {
    sub = menu->GetOpenSubmenu();
    if (sub) GetWindowRect(sub->GetHWND(), &subAt);
    Click(250, 145);  // "Nine"
  });
  EXPECT_EQ(menu->TrackPopupMenu(100, 100), 9);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(subAt.left, 200);
  EXPECT_EQ(subAt.top, 130);

  CMenuWnd* again = Menu();
  bool opened = false, closed = false;
  After(50, [] { MouseTo(150, 145); });
  After(400, [&] {
    opened = again->GetOpenSubmenu() != nullptr;
    MouseTo(150, 115);  // onto "Seven": the submenu ends with -1, which stays with it
  });
  After(800, [&] {
    closed = again->GetOpenSubmenu() == nullptr;
    again->EndMenu(5);
  });
  EXPECT_EQ(again->TrackPopupMenu(100, 100), 5);
  EXPECT_TRUE(opened && closed);
}

// The menu opens at the cursor with "More" under it: the move the new window reports there is
// not the user's, and only a real move opens the submenu.
TEST_F(MenuWindow, ARowThatOpensUnderTheRestingPointerWaitsForItToMove) {
  CMenuWnd* menu = Menu();
  bool openedAtRest = true, openedOnMove = false;
  SetCursorPos(150, 110);
  After(50, [] { MouseTo(150, 110); });
  After(400, [&] {
    openedAtRest = menu->GetOpenSubmenu() != nullptr;
    MouseTo(152, 112);
  });
  After(800, [&] {
    CMenuWnd* sub = menu->GetOpenSubmenu();
    openedOnMove = sub != nullptr;
    (sub ? sub : menu)->EndMenu(5);  // a submenu's end ends its parent with the same id
  });
  EXPECT_EQ(menu->TrackPopupMenu(100, 70), 5);
  EXPECT_FALSE(openedAtRest);
  EXPECT_TRUE(openedOnMove);
}

TEST_F(MenuWindow, APressElsewhereOrFocusLeavingDismissesTheMenu) {
  HWND other = Other();
  g_otherPresses = 0;
  After(50, [] { Click(450, 350); });
  EXPECT_EQ(Menu()->TrackPopupMenu(100, 100), -2);
  EXPECT_EQ(g_otherPresses, 1);  // the press still reaches its window

  After(50, [&] { SetFocus(other); });
  EXPECT_EQ(Menu()->TrackPopupMenu(100, 100), -2);

  // A script closing the menu's window under the loop ends the loop rather than hanging it.
  CMenuWnd* closed = Menu();
  After(50, [&] { closed->Close(0); });
  EXPECT_EQ(closed->TrackPopupMenu(100, 100), -2);
}

TEST_F(MenuWindow, MissingOrMalformedMenuDocumentsAreReportedAndGiveNil) {
  m_skin.Write(L"broken.xml", "<ui><menu id=\"x\"></ui>");
  m_skin.Write(L"view.xml", R"(<ui><view id="v" width="10" height="10"/></ui>)");
  const char* chunk =
      "ok = g_UIMgr:CreateMenu('missing.xml') == nil and g_UIMgr:CreateMenu('broken.xml') == nil\n"
      "  and g_UIMgr:CreateMenu('view.xml') == nil and g_UIMgr:CreateMenu('items.xml').__name == "
      "'LuaMenuWnd'\n"
      "  and g_UIMgr:GetWindow('items').__name == 'LuaMenuWnd' and g_UIMgr:GetWindow('v').__name == "
      "'LuaHostWnd'\n"
      "g_UIMgr:GetWindow('items'):Close(0); g_UIMgr:GetWindow('v'):Close(0)";
  lua_State* L = CEngine::Instance().LuaState();
  lua_tinker::dobuffer(L, chunk, strlen(chunk));
  lua_getglobal(L, "ok");
  EXPECT_TRUE(lua_toboolean(L, -1));
  lua_pop(L, 1);
  ASSERT_EQ(g_alerts.size(), 2u);
  EXPECT_EQ(g_alerts[0], "missing.xml: no such document in the skin");
  EXPECT_EQ(g_alerts[1], "broken.xml: XML error: unexpected end of data");
}

// A combo box at (10, 10), 120 by 24, in a window at (200, 150): its three 20-pixel rows drop
// below it in a popup menu window.
TEST_F(MenuWindow, AComboBoxDropsItsListAndReportsTheChosenRow) {
  m_skin.Write(L"combo.xml", R"(<ui><view id="combo" center="0" left="200" top="150" width="200" height="150">
      <container width="200" height="150" bkcolor="#202020">
        <combobox id="c" left="10" top="10" width="120" height="24" itemheight="20" onselchange="picked">
          <static text="Low"/><static text="Mid"/><static text="High"/>
        </combobox></container></view></ui>)");
  const char* handler = "picks = ''\nfunction picked(c, i) picks = picks .. c.__name .. ':' .. i .. ':' .. c:GetText() .. ';' end";
  lua_State* L = CEngine::Instance().LuaState();
  lua_tinker::dobuffer(L, handler, strlen(handler));
  CHostWnd* w = CUIBuilder::Instance().CreateWindowFromXml("combo.xml");
  ASSERT_TRUE(w && w->GetHWND());
  auto* combo = dynamic_cast<CUIComboBox*>(w->GetRootControl()->FindControl("c"));
  ASSERT_TRUE(combo);
  EXPECT_STREQ(combo->GetText(), "Low");  // the first row's text until one is chosen
  Settle();
  auto picks = [L] {
    lua_getglobal(L, "picks");
    std::string s = lua_tostring(L, -1);
    lua_pop(L, 1);
    return s;
  };

  RECT popup = {};
  After(300, [&] {
    GetWindowRect(WindowFromPoint({215, 190}), &popup);
    Click(240, 204);  // the second row
  });
  Click(260, 170);
  Settle();
  EXPECT_EQ(popup.left, 210);
  EXPECT_EQ(popup.top, 184);  // below the combo box, as wide as it, one row per item
  EXPECT_EQ(popup.right - popup.left, 120);
  EXPECT_EQ(popup.bottom - popup.top, 60);
  EXPECT_EQ(picks(), "LuaButton:1:Mid;");
  EXPECT_STREQ(combo->GetText(), "Mid");
  EXPECT_EQ(combo->GetCurSel(), 1);

  // Dismissed by a press elsewhere: no notification, nothing changes.
  After(300, [] { Click(300, 280); });
  Click(260, 170);
  Settle();
  EXPECT_EQ(picks(), "LuaButton:1:Mid;");
  w->Close(0);
  Settle(2);
}

}  // namespace
