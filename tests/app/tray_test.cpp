// The bridge's tray icon: its record, the mouse messages, the exit menu and balloons.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "GuiAdbLogic.h"
#include "bridge_fixture.h"

namespace {

class Tray : public BridgeFixture {
 protected:
  void SetUp() override {
    BridgeFixture::SetUp();
    Run("events = {}; g_GuiAdbLogic:AttachListener(function(n, a, b) events[#events + 1] = n .. ':' .. a .. ':' .. b end)");
  }
  HWND Hidden() const { return bridge->TrayRecord().hWnd; }

  // Takes every queued message of this thread; true when one matched msg (WM_QUIT included).
  bool DrainFor(UINT wanted) {
    bool seen = false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == wanted) seen = true;
      if (msg.message != WM_QUIT) DispatchMessageW(&msg);
    }
    return seen;
  }

};

// The full record, with the balloon icon, of the architecture under test.
#ifdef _WIN64
const UINT kFullTrayRecord = 976;
#else
const UINT kFullTrayRecord = 956;
#endif

TEST_F(Tray, InitAddsTheIconRecord) {
  const NOTIFYICONDATAW& r = bridge->TrayRecord();
  EXPECT_EQ(r.cbSize, kFullTrayRecord);
  EXPECT_NE(r.hWnd, nullptr);
  EXPECT_EQ(r.uID, 0u);
  EXPECT_EQ(r.uFlags, 7u);
  EXPECT_EQ(r.uCallbackMessage, 0x1B70u);
  EXPECT_STREQ(r.szTip, L"Mellowin");
  // The hidden window is message-only: it has no place on the desktop.
  EXPECT_NE(GetAncestor(r.hWnd, GA_PARENT), GetDesktopWindow());
}

TEST_F(Tray, LeftClickAndDoubleClickBringToTop) {
  SendMessageW(Hidden(), WM_TRAY_CALLBACK, 0, WM_LBUTTONUP);
  SendMessageW(Hidden(), WM_TRAY_CALLBACK, 0, WM_LBUTTONDBLCLK);
  SendMessageW(Hidden(), WM_TRAY_CALLBACK, 0, WM_MOUSEMOVE);
  SendMessageW(Hidden(), WM_TRAY_CALLBACK, 0, WM_LBUTTONDOWN);
  Run("assert(#events == 2 and events[1] == 'BringToTop:0:0' and events[2] == 'BringToTop:0:0', #events)");
}

TEST_F(Tray, ExitCommandRemovesTheIconAndEndsTheLoop) {
  PostMessageW(Hidden(), WM_TRAY_COMMAND, 150, 0x111);  // not ours: ignored
  EXPECT_FALSE(DrainFor(WM_QUIT));
  PostMessageW(Hidden(), WM_TRAY_COMMAND, 149, 0x111);
  EXPECT_TRUE(DrainFor(WM_QUIT));
  EXPECT_EQ(bridge->TrayRecord().cbSize, kFullTrayRecord);  // kept for a later "Init"
}

TEST_F(Tray, BalloonTextsAreCutToTheirFields) {
  std::string title(100, 'T'), info(300, 'i');
  Run(("g_GuiAdbLogic:Call('ShellNotify', {timeout = 3000, title = '" + title + "', info = '" + info + "'})").c_str());
  const NOTIFYICONDATAW& r = bridge->TrayRecord();
  EXPECT_EQ(r.uFlags, 0x17u);
  EXPECT_EQ(r.uTimeout, 3000u);
  EXPECT_EQ(r.dwInfoFlags, 4u);
  EXPECT_EQ(std::wstring(r.szInfoTitle), std::wstring(63, L'T'));
  EXPECT_EQ(std::wstring(r.szInfo), std::wstring(255, L'i'));

  // Missing or mistyped members are empty texts and a zero timeout.
  Run("g_GuiAdbLogic:Call('ShellNotify', {title = 5})");
  EXPECT_EQ(r.uTimeout, 0u);
  EXPECT_STREQ(r.szInfoTitle, L"");
  EXPECT_STREQ(r.szInfo, L"");
  Run("g_GuiAdbLogic:Call('ShellNotify', 'not a table')");
  Run("g_GuiAdbLogic:Call('ShellNotify', {title = '\xe4\xbd\xa0\xe5\xa5\xbd'})");  // UTF-8 in, UTF-16 out
  EXPECT_STREQ(r.szInfoTitle, L"\u4f60\u597d");
}

bool g_painted = false;

LRESULT CALLBACK PaintRecorder(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != WM_PAINT) return DefWindowProcW(hwnd, msg, wParam, lParam);
  PAINTSTRUCT ps;
  BeginPaint(hwnd, &ps);
  EndPaint(hwnd, &ps);
  g_painted = true;
  return 0;
}

// As the program starts it: "Init" leaves the icon and the services until the window due a
// paint has painted, and they then start with no other message; a balloon before then starts
// them at once.
TEST_F(Tray, ServicesStartAfterTheFirstPaint) {
  bridge->CallOperation("Uninit", ScriptValue(), ScriptValue());
  WNDCLASSW wc = {};
  wc.lpfnWndProc = PaintRecorder;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"QuillonPaintsFirst";
  RegisterClassW(&wc);
  HWND window = CreateWindowW(wc.lpszClassName, L"first", WS_POPUP | WS_VISIBLE, 0, 0, 120, 80, nullptr, nullptr,
                              wc.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  g_painted = false;
  bridge->SetServicesAfterPaint(true);
  bridge->CallOperation("Init", ScriptValue(), ScriptValue());
  EXPECT_FALSE(bridge->ServicesStarted());
  bool paintedFirst = false;
  for (DWORD end = GetTickCount() + 20000; !bridge->ServicesStarted() && GetTickCount() < end;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
    MSG msg;
    while (!bridge->ServicesStarted() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    paintedFirst = g_painted;
  }
  EXPECT_TRUE(bridge->ServicesStarted());
  EXPECT_TRUE(paintedFirst);
  EXPECT_EQ(bridge->TrayRecord().cbSize, kFullTrayRecord);

  bridge->CallOperation("Uninit", ScriptValue(), ScriptValue());
  bridge->CallOperation("Init", ScriptValue(), ScriptValue());
  EXPECT_FALSE(bridge->ServicesStarted());
  Run("g_GuiAdbLogic:Call('ShellNotify', {timeout = 3000, title = 'linked', info = 'phone'})");
  EXPECT_TRUE(bridge->ServicesStarted());
  DestroyWindow(window);
}

// Waits for the tray menu's window, then acts on it from another thread.
HWND WaitForMenu() {
  for (int i = 0; i < 200; ++i) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (menu && IsWindowVisible(menu)) return menu;
    Sleep(25);
  }
  return nullptr;
}

TEST_F(Tray, RightClickThenClickOutsidePostsNothing) {
  std::atomic<bool> found(false);
  std::atomic<DWORD> foregroundThread(0);
  const DWORD uiThread = GetCurrentThreadId();
  std::thread clicker([&] {
    HWND menu = WaitForMenu();
    found = menu != nullptr;
    if (!menu) return;
    // The menu closes on outside clicks and Esc only while its owner is the foreground window.
    foregroundThread = GetWindowThreadProcessId(GetForegroundWindow(), nullptr);
    // A click far to the left of and above the menu (client coordinates of the menu window).
    LPARAM outside = MAKELPARAM((WORD)(short)-150, (WORD)(short)-150);
    PostMessageW(menu, WM_LBUTTONDOWN, MK_LBUTTON, outside);
    PostMessageW(menu, WM_LBUTTONUP, 0, outside);
  });
  SetCursorPos(300, 300);
  SendMessageW(Hidden(), WM_TRAY_CALLBACK, 0, WM_RBUTTONUP);  // returns when the menu closes
  clicker.join();
  EXPECT_TRUE(found);
  EXPECT_EQ(foregroundThread, uiThread) << "the menu's owner was not the foreground window";
  EXPECT_FALSE(DrainFor(WM_TRAY_COMMAND));
}

TEST_F(Tray, ChoosingExitFromTheMenuEndsTheLoop) {
  std::thread chooser([] {
    HWND menu = WaitForMenu();
    if (!menu) return;
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
  });
  SetCursorPos(300, 300);
  SendMessageW(Hidden(), WM_TRAY_CALLBACK, 0, WM_RBUTTONUP);
  chooser.join();
  EXPECT_TRUE(DrainFor(WM_QUIT));
}

// A restarted Explorer makes a new taskbar that knows no icons and says so to every top-level
// window: the icon is added again, without the last balloon.
TEST_F(Tray, IconIsAddedAgainWhenTheTaskbarIsMadeAnew) {
  Run("g_GuiAdbLogic:Call('ShellNotify', {timeout = 3000, title = 'linked', info = 'phone'})");
  NOTIFYICONDATAW icon = bridge->TrayRecord();
  icon.uFlags = 0;
  if (!Shell_NotifyIconW(NIM_DELETE, &icon)) GTEST_SKIP() << "no notification area in this session";
  ASSERT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &icon));
  PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  DrainFor(0);
  EXPECT_TRUE(Shell_NotifyIconW(NIM_MODIFY, &icon)) << "the icon was not added again";
  EXPECT_EQ(bridge->TrayRecord().uFlags, 0x17u);  // the record itself is unchanged

  // After "Uninit" there is no icon to bring back.
  Run("g_GuiAdbLogic:Call('Uninit')");
  PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  DrainFor(0);
  EXPECT_FALSE(Shell_NotifyIconW(NIM_MODIFY, &icon));
}

}  // namespace
