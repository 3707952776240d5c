// Host windows made from "ui" documents, on a real (virtual) display.
#include <gtest/gtest.h>

#include <string>

#include "DoBuffer.h"
#include "Engine.h"
#include "HostWnd.h"
#include "TempDir.h"
#include "UIBuilder.h"
#include "UIControlContainer.h"
#include "WindowPump.h"
#include "lua.hpp"

using namespace ZOV;

namespace {

class HostWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    CEngine::Instance().Init();
    ASSERT_EQ(CEngine::Instance().SkinLoader().SetPackagePath(m_skin.path()), 1);
  }
  void TearDown() override {
    Pump();
    CEngine::Instance().SkinLoader().CloseSkin();
  }
  CHostWnd* Make(const std::string& viewAttributes, const std::string& body = "<container width=\"10\" height=\"10\"/>") {
    std::wstring name = L"w" + std::to_wstring(++m_count) + L".xml";
    m_skin.Write(name, "<ui><view " + viewAttributes + ">" + body + "</view></ui>");
    std::string path(name.begin(), name.end());
    return CUIBuilder::Instance().CreateWindowFromXml(path.c_str());
  }
  void Script(const char* code) { lua_tinker::dobuffer(CEngine::Instance().LuaState(), code, strlen(code)); }
  int Global(const char* name) {
    lua_State* L = CEngine::Instance().LuaState();
    lua_getglobal(L, name);
    int v = (int)lua_tointeger(L, -1);
    lua_pop(L, 1);
    return v;
  }

  TempDir m_skin;
  int m_count = 0;
};

TEST_F(HostWindow, CentredUnlessCenterIsZero) {
  CHostWnd* centred = Make(R"(id="c1" left="0" top="0" width="200" height="100")");
  CHostWnd* placed = Make(R"(id="c2" center="0" left="30" top="40" width="200" height="100")");
  ASSERT_TRUE(centred && centred->GetHWND() && placed && placed->GetHWND());
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT r;
  GetWindowRect(centred->GetHWND(), &r);
  EXPECT_EQ(r.left, (work.left + work.right) / 2 - 100);
  EXPECT_EQ(r.top, (work.top + work.bottom) / 2 - 50);
  GetWindowRect(placed->GetHWND(), &r);
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(r.right - r.left, 200);
  DestroyWindow(centred->GetHWND());
  DestroyWindow(placed->GetHWND());
}

TEST_F(HostWindow, StylesFollowTheViewFlags) {
  CHostWnd* tool = Make(R"(id="s1" toolwindow="1" width="50" height="50")");
  CHostWnd* modalTool = Make(R"(id="s2" toolwindow="1" modal="1" width="50" height="50")");
  CHostWnd* plain = Make(R"(id="s3" minbox="1" sysmenu="" maxbox="0" width="50" height="50")");
  wchar_t cls[64];
  GetClassNameW(plain->GetHWND(), cls, 64);
  EXPECT_STREQ(cls, L"ZOV_WINDOWCLASS");
  auto ex = [](CHostWnd* w) { return (DWORD)GetWindowLongW(w->GetHWND(), GWL_EXSTYLE); };
  auto st = [](CHostWnd* w) { return (DWORD)GetWindowLongW(w->GetHWND(), GWL_STYLE); };
  EXPECT_TRUE(ex(tool) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(ex(modalTool) & (WS_EX_TOOLWINDOW | WS_EX_APPWINDOW));
  EXPECT_TRUE(ex(plain) & WS_EX_APPWINDOW);
  EXPECT_EQ(st(plain) & 0x96000000u, 0x96000000u);
  EXPECT_TRUE(st(plain) & WS_MINIMIZEBOX);
  EXPECT_TRUE(st(plain) & WS_SYSMENU);
  EXPECT_FALSE(st(plain) & WS_MAXIMIZEBOX);
  for (CHostWnd* w : {tool, modalTool, plain}) DestroyWindow(w->GetHWND());
}

TEST(ResizeBorder, SixPixelsAreBorderSevenAreInside) {
  EXPECT_EQ(ResizeBorderHitTest({6, 6}, 100, 80), HTTOPLEFT);
  EXPECT_EQ(ResizeBorderHitTest({7, 7}, 100, 80), HTCLIENT);
  EXPECT_EQ(ResizeBorderHitTest({94, 0}, 100, 80), HTTOPRIGHT);
  EXPECT_EQ(ResizeBorderHitTest({0, 74}, 100, 80), HTBOTTOMLEFT);
  EXPECT_EQ(ResizeBorderHitTest({99, 79}, 100, 80), HTBOTTOMRIGHT);
  EXPECT_EQ(ResizeBorderHitTest({3, 40}, 100, 80), HTLEFT);
  EXPECT_EQ(ResizeBorderHitTest({95, 40}, 100, 80), HTRIGHT);
  EXPECT_EQ(ResizeBorderHitTest({50, 2}, 100, 80), HTTOP);
  EXPECT_EQ(ResizeBorderHitTest({50, 76}, 100, 80), HTBOTTOM);
}

TEST_F(HostWindow, HitTestingWithResizeAndCaption) {
  CHostWnd* w = Make(R"(id="h" center="0" left="100" top="100" width="200" height="150" resize="1" caption="0,0,200,30")",
                     R"(<container width="200" height="150"><container left="50" top="50" width="20" height="20" bkcolor="#FF0000"/></container>)");
  HWND h = w->GetHWND();
  auto hit = [h](int x, int y) { return (int)SendMessageW(h, WM_NCHITTEST, 0, MAKELPARAM(100 + x, 100 + y)); };
  EXPECT_EQ(hit(6, 6), HTTOPLEFT);
  EXPECT_EQ(hit(7, 100), HTCLIENT);
  EXPECT_EQ(hit(100, 10), HTCAPTION);
  EXPECT_EQ(hit(196, 100), HTRIGHT);
  DestroyWindow(h);
}

TEST_F(HostWindow, CloseAndSizeEventsReachTheScript) {
  Script(R"(
    closes, sizes = 0, 0
    function keep(w, l) closes = closes + 1; return true end
    function letgo(w, l) closes = closes + 1 end
    function sized(w, l) sizes = sizes + 1; return 1 end)");
  CHostWnd* kept = Make(R"(id="k" onclose="keep" onsize="sized" width="40" height="40")");
  CHostWnd* gone = Make(R"(id="g" onclose="letgo" width="40" height="40")");
  CHostWnd* quiet = Make(R"(id="q" width="40" height="40")");
  HWND hk = kept->GetHWND(), hg = gone->GetHWND();
  SendMessageW(hk, WM_CLOSE, 0, 0);
  SendMessageW(hg, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(hk));
  EXPECT_FALSE(IsWindow(hg));
  EXPECT_EQ(Global("closes"), 2);
  int before = Global("sizes");
  MoveWindow(hk, 0, 0, 80, 60, FALSE);
  EXPECT_GT(Global("sizes"), before);
  EXPECT_EQ(SendMessageW(quiet->GetHWND(), WM_SIZE, 0, MAKELPARAM(40, 40)), 0);  // handled without a script
  EXPECT_EQ(CUIBuilder::Instance().GetWindow("g"), nullptr);
  EXPECT_EQ(CUIBuilder::Instance().GetWindow("k"), kept);
  DestroyWindow(hk);
  DestroyWindow(quiet->GetHWND());
}

// Guards against a drop handle cut to 32 bits on its way to the script: 64-bit Windows hands
// out handles above 2^32, and 32-bit Windows above 2^31 for a large-address-aware program.
TEST_F(HostWindow, DropHandleReachesTheScriptWhole) {
#ifdef _WIN64
  const WPARAM handle = 0x123456789A;
  Script("expected = 78187493530");
#else
  const WPARAM handle = 0x9ABCDEF0;
  Script("expected = 2596069104");
#endif
  Script(R"(
    drops = {}
    function dropped(w, l) drops[#drops + 1] = w; return true end)");
  CHostWnd* wnd = Make(R"(id="d" ondropfile="dropped" width="40" height="40")");
  SendMessageW(wnd->GetHWND(), WM_DROPFILES, handle, 0);
  // The same value sent by the script itself, through the window's SendMessage.
  Script("g_UIMgr:GetWindow('d'):SendMessage(0x233, expected, 0)");
  Script("ok = (#drops == 2 and drops[1] == expected and drops[2] == expected) and 1 or 0");
  EXPECT_EQ(Global("ok"), 1);
  DestroyWindow(wnd->GetHWND());
}

TEST_F(HostWindow, SecondWindowWithATakenIdIsNotRegistered) {
  CHostWnd* first = Make(R"(id="same" width="20" height="20")");
  CHostWnd* second = Make(R"(id="same" width="20" height="20")");
  EXPECT_EQ(CUIBuilder::Instance().GetWindow("same"), first);
  DestroyWindow(second->GetHWND());  // removes the entry under its id
  EXPECT_EQ(CUIBuilder::Instance().GetWindow("same"), nullptr);
  DestroyWindow(first->GetHWND());
}

TEST_F(HostWindow, TwoViewsMakeTwoWindowsAndTheSecondIsReturned) {
  m_skin.Write(L"two.xml", R"(<ui><view id="one" width="10" height="10"/><view id="two" width="10" height="10"/></ui>)");
  m_skin.Write(L"notui.xml", R"(<root><view id="three"/><resource><script file="s.lua"/></resource></root>)");
  m_skin.Write(L"s.lua", "ran = 1");
  CHostWnd* w = CUIBuilder::Instance().CreateWindowFromXml("two.xml");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(CUIBuilder::Instance().GetWindow("two"), w);
  EXPECT_NE(CUIBuilder::Instance().GetWindow("one"), nullptr);
  EXPECT_EQ(CUIBuilder::Instance().CreateWindowFromXml("notui.xml"), nullptr);
  EXPECT_EQ(Global("ran"), 0);
  DestroyWindow(w->GetHWND());
  DestroyWindow(CUIBuilder::Instance().GetWindow("one")->GetHWND());
}

TEST_F(HostWindow, QuitDuringAModalLoopEndsItAndTheOuterLoop) {
  CHostWnd* dialog = Make(R"(id="modal" width="30" height="30")");
  HWND h = dialog->GetHWND();
  PostQuitMessage(5);
  EXPECT_EQ(dialog->DoModal(nullptr), 0u);
  EXPECT_FALSE(IsWindow(h));  // the loop destroys its window
  // The quit message is handed on, so the application's own loop ends too.
  MSG msg;
  EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.wParam, 5u);

  CHostWnd* second = Make(R"(id="modal2" width="30" height="30")");
  second->EndDialog(42);
  EXPECT_EQ(second->DoModal(GetDesktopWindow()), 42u);
}

TEST_F(HostWindow, LayeredWindowHasHolesWherePureBlackWasPainted) {
  // A red window behind, a layered window in front: green inside, a pure black border.
  CHostWnd* back = Make(R"(id="back" center="0" left="100" top="100" width="200" height="200")",
                        R"(<container width="200" height="200" bkcolor="#FF0000"/>)");
  CHostWnd* front = Make(R"(id="front" center="0" left="150" top="150" width="100" height="100" layered="1")",
                         R"(<container width="100" height="100" bkcolor="#00FF00" bordersize="10" bordercolor="#000000"/>)");
  ASSERT_TRUE(back->GetHWND() && front->GetHWND());
  Settle();
  EXPECT_EQ(ScreenPixel(200, 200), RGB(0, 255, 0));  // opaque where the control drew colour
  EXPECT_EQ(ScreenPixel(153, 200), RGB(255, 0, 0));  // a hole where it drew pure black
  EXPECT_EQ(ScreenPixel(120, 120), RGB(255, 0, 0));  // the window behind, untouched
  // The caret timer of a layered window stops itself when no edit has the focus.
  EXPECT_EQ(SendMessageW(front->GetHWND(), WM_TIMER, kCaretTimerId, 0), 0);
  DestroyWindow(front->GetHWND());
  DestroyWindow(back->GetHWND());
}

}  // namespace
