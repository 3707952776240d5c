// Popup menu windows made from "ui" documents and run by their own loop, on the virtual display.
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
#include "lua.hpp"

using namespace ZOV;

namespace {

std::vector<std::string> g_alerts;

int CollectAlert(lua_State* L) {
  const char* s = lua_tostring(L, 1);
  g_alerts.push_back(s ? s : "");
  return 0;
}

// Runs a function once from a thread timer: it fires inside whichever loop is running.
std::map<UINT_PTR, std::function<void()>> g_later;

void CALLBACK RunLater(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  auto it = g_later.find(id);
  if (it == g_later.end()) return;
  std::function<void()> fn = std::move(it->second);
  g_later.erase(it);
  fn();
}

void After(UINT ms, std::function<void()> fn) { g_later[::SetTimer(nullptr, 0, ms, RunLater)] = std::move(fn); }

// A plain window of the test's own, counting the presses it receives.
int g_otherPresses = 0;

LRESULT CALLBACK OtherProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_LBUTTONDOWN) ++g_otherPresses;
  return DefWindowProcW(h, m, w, l);
}

// Real input, as the user's mouse gives it.
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

class MenuWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    g_alerts.clear();
    g_otherPresses = 0;
    CEngine::Instance().Init();
    lua_register(CEngine::Instance().LuaState(), "_ALERT", CollectAlert);
    ASSERT_EQ(CEngine::Instance().SkinLoader().SetPackagePath(m_skin.path()), 1);
    m_skin.Write(L"menu.xml", R"(<ui><menu id="m" center="0" left="30" top="40" width="120" height="80"><container/></menu></ui>)");
    m_skin.Write(L"sub.xml", R"(<ui><menu id="sub" center="0" width="100" height="60"/></ui>)");
    // Rows of 30 pixels: "Seven" ends the menu with 7; "More" opens a submenu with "Nine".
    m_skin.Write(L"items.xml", R"(<ui><menu id="items" center="0" width="100" height="60" itemheight="30">
        <menuitem id="seven" text="Seven" onclick="pick_seven"/>
        <menuitem id="more" text="More" submenu="subitems.xml" onclick="pick_seven"/></menu></ui>)");
    m_skin.Write(L"subitems.xml", R"(<ui><menu id="subitems" center="0" width="100" height="30" itemheight="30">
        <menuitem id="nine" text="Nine" onclick="pick_nine"/></menu></ui>)");
    Script("function pick_seven(item) item:GetHostWnd():EndMenu(7) end\n"
           "function pick_nine(item) item:GetHostWnd():EndMenu(9) end");
  }
  void TearDown() override {
    g_later.clear();
    if (m_other) DestroyWindow(m_other);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    CEngine::Instance().SkinLoader().CloseSkin();
  }
  void Script(const char* code) { lua_tinker::dobuffer(CEngine::Instance().LuaState(), code, strlen(code)); }
  CMenuWnd* Menu(const char* path = "menu.xml") { return CUIBuilder::Instance().CreateMenuFromXml(path); }
  HWND Other() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = OtherProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"MenuTestOther";
    RegisterClassW(&wc);
    m_other = CreateWindowExW(0, L"MenuTestOther", L"", WS_POPUP | WS_VISIBLE, 400, 300, 100, 100, nullptr,
                              nullptr, wc.hInstance, nullptr);
    return m_other;
  }

  TempDir m_skin;
  HWND m_other = nullptr;
};

TEST_F(MenuWindow, EndMenuEndsTheLoopWithItsIdAndTheCursorPlacesIt) {
  CMenuWnd* menu = Menu();
  ASSERT_TRUE(menu && menu->GetHWND());
  HWND h = menu->GetHWND();
  SetCursorPos(150, 120);
  RECT at = {}, list = {};
  After(30, [&] {
    GetWindowRect(h, &at);
    list = menu->GetRootControl()->GetRect();
    menu->EndMenu(7);
  });
  EXPECT_EQ(menu->TrackPopupMenu(-1, -1), 7);
  EXPECT_EQ(at.left, 150);
  EXPECT_EQ(at.top, 120);
  EXPECT_EQ(at.right - at.left, 120);
  // The list fills the client area: "left" and "top" placed the window, not the list.
  EXPECT_TRUE(list.left == 0 && list.top == 0 && list.right == 120 && list.bottom == 80);
  EXPECT_FALSE(IsWindow(h));  // the loop destroys its window

  // Only both negative means the cursor.
  CMenuWnd* second = Menu();
  h = second->GetHWND();
  After(30, [&] {
    GetWindowRect(h, &at);
    second->EndMenu(0);
  });
  EXPECT_EQ(second->TrackPopupMenu(-1, 5), 0);
  EXPECT_EQ(at.left, -1);
  EXPECT_EQ(at.top, 5);
}

TEST_F(MenuWindow, PressOnAnotherWindowDismissesTheMenuAndStillReachesIt) {
  HWND other = Other();
  CMenuWnd* menu = Menu();
  After(30, [&] { PostMessageW(other, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10)); });
  EXPECT_EQ(menu->TrackPopupMenu(10, 10), -2);
  EXPECT_EQ(g_otherPresses, 1);
}

TEST_F(MenuWindow, FocusMovingElsewhereOrTheWindowGoingDismissesTheMenu) {
  HWND other = Other();
  CMenuWnd* menu = Menu();
  After(30, [&] { SetFocus(other); });
  EXPECT_EQ(menu->TrackPopupMenu(10, 10), -2);

  // A script that closes the menu's window under the loop: the loop ends rather than waiting.
  CMenuWnd* closed = Menu();
  HWND h = closed->GetHWND();
  After(30, [&] { DestroyWindow(h); });
  EXPECT_EQ(closed->TrackPopupMenu(10, 10), -2);
}

TEST_F(MenuWindow, QuitEndsTheMenuAndStillReachesTheApplicationLoop) {
  CMenuWnd* menu = Menu();
  HWND h = menu->GetHWND();
  After(30, [] { PostQuitMessage(3); });
  EXPECT_EQ(menu->TrackPopupMenu(10, 10), -2);
  EXPECT_FALSE(IsWindow(h));
  MSG msg;
  EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(MenuWindow, ACommandInASubmenuEndsBothLoopsAndMinusOneOnlyTheSubmenu) {
  CMenuWnd* menu = Menu();
  int fromSub = 0, closedSub = 0;
  CMenuWnd* sub = nullptr;
  After(20, [&] {
    // Closed with -1 (an item without submenu was hovered): the top menu keeps running.
    After(20, [&] { menu->CloseSubmenu(); });
    closedSub = menu->OpenSubmenu(200, 10, "sub.xml");
    EXPECT_EQ(menu->GetOpenSubmenu(), nullptr);
    After(20, [&] {
      sub = menu->GetOpenSubmenu();
      EXPECT_EQ(menu->OpenSubmenu(0, 0, "sub.xml"), -2);  // one at a time
      sub->EndMenu(9);
    });
    fromSub = menu->OpenSubmenu(200, 10, "sub.xml");
  });
  EXPECT_EQ(menu->TrackPopupMenu(10, 10), 9);
  EXPECT_EQ(closedSub, -1);
  EXPECT_EQ(fromSub, 9);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->GetHWND(), nullptr);
}

// The menus below open at 100,100: "Seven" spans y 100 to 130, "More" 130 to 160, and the
// submenu opens at More's top-right corner, 200,130.
TEST_F(MenuWindow, AnItemsHandlerEndsTheMenuWithItsCommand) {
  CMenuWnd* menu = Menu("items.xml");
  After(50, [] { Click(150, 115); });
  EXPECT_EQ(menu->TrackPopupMenu(100, 100), 7);
  EXPECT_TRUE(g_alerts.empty());
}

TEST_F(MenuWindow, SubmenusOpenOnHoverCloseOnAnotherItemAndPassTheirCommandUp) {
  CMenuWnd* menu = Menu("items.xml");
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

  // Back onto "Seven": the submenu ends with -1 and the menu keeps running.
  CMenuWnd* again = Menu("items.xml");
  bool opened = false, closed = false;
  After(50, [] { MouseTo(150, 145); });
  After(400, [&] {
    opened = again->GetOpenSubmenu() != nullptr;
    MouseTo(150, 115);
  });
  After(800, [&] {
    closed = again->GetOpenSubmenu() == nullptr;
    again->EndMenu(5);
  });
  EXPECT_EQ(again->TrackPopupMenu(100, 100), 5);
  EXPECT_TRUE(opened);
  EXPECT_TRUE(closed);
}

TEST_F(MenuWindow, ASubmenuWhoseDocumentIsMissingIsReportedAndTheMenuRunsOn) {
  m_skin.Write(L"nosub.xml", R"(<ui><menu id="nosub" center="0" width="100" height="60" itemheight="30">
      <menuitem text="Seven"/><menuitem text="More" submenu="nosuch.xml"/></menu></ui>)");
  CMenuWnd* menu = Menu("nosub.xml");
  After(50, [] { MouseTo(150, 145); });
  After(400, [&] { menu->EndMenu(4); });
  EXPECT_EQ(menu->TrackPopupMenu(100, 100), 4);
  ASSERT_EQ(g_alerts.size(), 1u);
  EXPECT_EQ(g_alerts[0], "nosuch.xml: no such document in the skin");
}

// The press on "More" ends the submenu with -2 before the release runs More's handler, which
// ends the top menu with 7: the -2 set by the submenu is what the top menu returns.
TEST_F(MenuWindow, PressOnTheParentWhileASubmenuRunsDismissesBoth) {
  CMenuWnd* menu = Menu("items.xml");
  After(50, [] { MouseTo(150, 145); });
  After(400, [] { Click(150, 145); });
  EXPECT_EQ(menu->TrackPopupMenu(100, 100), -2);
}

TEST_F(MenuWindow, MissingOrMalformedMenuDocumentsAreReportedAndGiveNil) {
  m_skin.Write(L"broken.xml", "<ui><menu id=\"x\"></ui>");
  m_skin.Write(L"view.xml", R"(<ui><view id="v" width="10" height="10"/></ui>)");
  lua_State* L = CEngine::Instance().LuaState();
  const char* chunk =
      "a = g_UIMgr:CreateMenu('missing.xml'); b = g_UIMgr:CreateMenu('broken.xml')\n"
      "c = g_UIMgr:CreateMenu('view.xml'); d = g_UIMgr:CreateMenu('menu.xml')\n"
      "ok = a == nil and b == nil and c == nil and d ~= nil and d.TrackPopupMenu ~= nil and d.GetWnd ~= nil\n"
      "  and g_UIMgr:GetWindow('m').__name == 'LuaMenuWnd' and g_UIMgr:GetWindow('v').__name == 'LuaHostWnd'\n"
      "d:Close(0)";
  lua_tinker::dobuffer(L, chunk, strlen(chunk));
  lua_getglobal(L, "ok");
  EXPECT_TRUE(lua_toboolean(L, -1));
  lua_pop(L, 1);
  ASSERT_EQ(g_alerts.size(), 2u);
  EXPECT_EQ(g_alerts[0], "missing.xml: no such document in the skin");
  EXPECT_EQ(g_alerts[1].rfind("broken.xml: XML error", 0), 0u);
  DestroyWindow(CUIBuilder::Instance().GetWindow("v")->GetHWND());
}

}  // namespace
