// Buttons and radio buttons in real windows on the virtual display, driven by the mouse.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DoBuffer.h"
#include "Engine.h"
#include "HostWnd.h"
#include "PngWriter.h"
#include "TempDir.h"
#include "UIBuilder.h"
#include "UIRadioButton.h"
#include "WindowPump.h"
#include "lua.hpp"

using namespace ZOV;

namespace {

// Mouse input as the user makes it, in screen coordinates.
void Mouse(DWORD flags, int x = 0, int y = 0) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  if (flags & MOUSEEVENTF_MOVE) {
    in.mi.dwFlags |= MOUSEEVENTF_ABSOLUTE;
    in.mi.dx = (x * 65536 + 65535) / GetSystemMetrics(SM_CXSCREEN);
    in.mi.dy = (y * 65536 + 65535) / GetSystemMetrics(SM_CYSCREEN);
  }
  SendInput(1, &in, sizeof(in));
  Settle(6);
}

class ButtonWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    CEngine::Instance().Init();
    ASSERT_EQ(CEngine::Instance().SkinLoader().SetPackagePath(m_skin.path()), 1);
    Script("clicks = ''\nfunction clicked(c) clicks = clicks .. c:GetID() .. ';' end");
  }
  void TearDown() override {
    Pump();
    CEngine::Instance().SkinLoader().CloseSkin();
  }
  CHostWnd* Make(const std::string& name, const std::string& view) {
    m_skin.Write(std::wstring(name.begin(), name.end()), "<ui>" + view + "</ui>");
    CHostWnd* w = CUIBuilder::Instance().CreateWindowFromXml(name.c_str());
    Settle();
    return w;
  }
  void Script(const char* code) { lua_tinker::dobuffer(CEngine::Instance().LuaState(), code, strlen(code)); }
  std::string Clicks() {
    lua_State* L = CEngine::Instance().LuaState();
    lua_getglobal(L, "clicks");
    std::string s = lua_isstring(L, -1) ? lua_tostring(L, -1) : "?";
    lua_pop(L, 1);
    return s;
  }
  template <typename T>
  static T* Find(CHostWnd* w, const char* id) {
    return dynamic_cast<T*>(w->GetRootControl()->FindControl(id));
  }

  TempDir m_skin;
};

TEST_F(ButtonWindow, ClickNeedsPressAndReleaseOnTheButton) {
  // Frame 3 of the strip (disabled) is blue; the others grey.
  std::vector<uint32_t> strip(40 * 10, 0xFF808080u);
  for (int y = 0; y < 10; ++y)
    for (int x = 30; x < 40; ++x) strip[y * 40 + x] = 0xFF0000FFu;
  m_skin.Write(L"strip.png", MakePngRgba(40, 10, strip));
  CHostWnd* w = Make("click.xml", R"(<view id="click" center="0" left="200" top="150" width="300" height="200">
      <container width="300" height="200" bkcolor="#202020">
        <button id="ok" left="10" top="10" width="120" height="40" onclick="clicked" tooltip="Send to phone"
                text="OK OK OK" textcolor="#FFFF00" alignX="1" alignY="1"/>
        <button id="off" left="10" top="60" width="120" height="40" onclick="clicked" enable="0"
                combineimage="strip.png"/>
      </container></view>)");
  ASSERT_TRUE(w && w->GetHWND());
  auto* ok = Find<CUIButton>(w, "ok");
  auto* off = Find<CUIButton>(w, "off");
  ASSERT_TRUE(ok && off);
  POINT o = {0, 0};
  ClientToScreen(w->GetHWND(), &o);

  // Hover: state 1, the tooltip shows, and without "hovertextcolor" the text keeps its colour.
  Mouse(MOUSEEVENTF_MOVE, o.x + 70, o.y + 30);
  EXPECT_EQ(ok->GetState(), kStateHover);
  HWND tip = ok->GetTooltipWindow();
  ASSERT_NE(tip, nullptr);
  EXPECT_TRUE(IsWindowVisible(tip));
  EXPECT_EQ(GetWindow(tip, GW_OWNER), w->GetHWND());
  int yellow = 0;
  for (int x = 11; x < 129; ++x) yellow += ScreenPixel(o.x + x, o.y + 30) == RGB(255, 255, 0) ? 1 : 0;
  EXPECT_GT(yellow, 3);

  // Press and release on it: one click.
  Mouse(MOUSEEVENTF_LEFTDOWN);
  EXPECT_EQ(ok->GetState(), kStateDown);
  Mouse(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(Clicks(), "ok;");
  EXPECT_EQ(ok->GetState(), kStateNormal);

  // Leaving closes the tooltip.
  Mouse(MOUSEEVENTF_MOVE, o.x + 200, o.y + 150);
  EXPECT_FALSE(IsWindow(tip));
  EXPECT_EQ(ok->GetTooltipWindow(), nullptr);

  // Press on it, move off, release: no click.
  Mouse(MOUSEEVENTF_MOVE, o.x + 70, o.y + 30);
  Mouse(MOUSEEVENTF_LEFTDOWN);
  Mouse(MOUSEEVENTF_MOVE, o.x + 200, o.y + 150);
  EXPECT_EQ(ok->GetState(), kStateNormal);
  Mouse(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(Clicks(), "ok;");
  EXPECT_EQ(GetCapture(), nullptr);

  // The disabled button shows its disabled frame, and neither the mouse nor a press that
  // reaches it makes a click.
  EXPECT_EQ(ScreenPixel(o.x + 70, o.y + 80), RGB(0, 0, 255));
  Mouse(MOUSEEVENTF_MOVE, o.x + 70, o.y + 80);
  Mouse(MOUSEEVENTF_LEFTDOWN);
  Mouse(MOUSEEVENTF_LEFTUP);
  bool handled = false;
  off->OnMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(70, 80), &handled);
  EXPECT_EQ(off->GetState(), kStateDisabled);
  off->OnMessage(WM_LBUTTONUP, 0, MAKELPARAM(70, 80), &handled);
  EXPECT_EQ(Clicks(), "ok;");
  DestroyWindow(w->GetHWND());
}

TEST_F(ButtonWindow, RadioGroupSpansWindowsAndForgetsDestroyedButtons) {
  const char* body = R"(<container width="200" height="100">
        <radiobutton id="%s1" left="0" top="0" width="100" height="50" groupid="wg" onclick="clicked"/>
        <radiobutton id="%s2" left="100" top="0" width="100" height="50" groupid="wg"/>
        <radiobutton id="%s3" left="0" top="50" width="100" height="50"/>
      </container>)";
  auto view = [body](const char* id, int left) {
    std::string b = body;
    for (size_t at; (at = b.find("%s")) != std::string::npos;) b.replace(at, 2, id);
    return std::string("<view id=\"") + id + "\" center=\"0\" left=\"" + std::to_string(left) +
           "\" top=\"100\" width=\"200\" height=\"100\">" + b + "</view>";
  };
  CHostWnd* a = Make("a.xml", view("a", 100));
  CHostWnd* b = Make("b.xml", view("b", 400));
  ASSERT_TRUE(a && b && a->GetHWND() && b->GetHWND());
  auto* a1 = Find<CUIRadioButton>(a, "a1");
  auto* a2 = Find<CUIRadioButton>(a, "a2");
  auto* a3 = Find<CUIRadioButton>(a, "a3");
  auto* b1 = Find<CUIRadioButton>(b, "b1");
  ASSERT_TRUE(a1 && a2 && a3 && b1);
  EXPECT_EQ(a1->GetCheckedRadionButton(), nullptr);

  auto click = [](CHostWnd* w, int x, int y) {
    POINT o = {0, 0};
    ClientToScreen(w->GetHWND(), &o);
    // Twice: the first move may only end the capture of the window the mouse comes from.
    Mouse(MOUSEEVENTF_MOVE, o.x + x - 1, o.y + y);
    Mouse(MOUSEEVENTF_MOVE, o.x + x, o.y + y);
    Mouse(MOUSEEVENTF_LEFTDOWN);
    Mouse(MOUSEEVENTF_LEFTUP);
  };
  click(a, 50, 25);
  EXPECT_TRUE(a1->IsCheck());
  EXPECT_EQ(Clicks(), "a1;");
  click(b, 50, 25);  // the same group in the other window
  EXPECT_TRUE(b1->IsCheck());
  EXPECT_FALSE(a1->IsCheck());
  EXPECT_EQ(a2->GetCheckedRadionButton(), b1);

  // Without a group, checking touches no one else.
  a3->SetCheck(true);
  EXPECT_TRUE(b1->IsCheck());
  EXPECT_EQ(a3->GetCheckedRadionButton(), nullptr);

  // The checked button goes with its window; the group is left without a checked button.
  DestroyWindow(b->GetHWND());
  Pump();
  EXPECT_EQ(a1->GetCheckedRadionButton(), nullptr);
  a2->SetCheck(true);
  EXPECT_EQ(a1->GetCheckedRadionButton(), a2);
  DestroyWindow(a->GetHWND());
}

}  // namespace
