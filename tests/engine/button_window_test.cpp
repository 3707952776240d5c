// Buttons and radio buttons in real windows on the virtual display, driven by the mouse.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DoBuffer.h"
#include "Engine.h"
#include "HostWnd.h"
#include "PngWriter.h"
#include "SkinWindowTest.h"
#include "TempDir.h"
#include "UIBuilder.h"
#include "UIRadioButton.h"
#include "WindowPump.h"
#include "lua.hpp"

using namespace ZOV;

namespace {

// Mouse input as the user makes it; a move goes to (x, y) of w's client area.
void Mouse(DWORD flags, CHostWnd* w = nullptr, int x = 0, int y = 0) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags;
  if (w) {
    POINT p = {x, y};
    ClientToScreen(w->GetHWND(), &p);
    in.mi.dwFlags |= MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in.mi.dx = (p.x * 65536 + 65535) / GetSystemMetrics(SM_CXSCREEN);
    in.mi.dy = (p.y * 65536 + 65535) / GetSystemMetrics(SM_CYSCREEN);
  }
  SendInput(1, &in, sizeof(in));
  Settle(6);
}

class ButtonWindow : public SkinWindowTest {};

TEST_F(ButtonWindow, ClickNeedsPressAndReleaseOnTheButton) {
  std::vector<uint32_t> strip(400);  // frame 3 (disabled) blue, the rest grey
  for (int i = 0; i < 400; ++i) strip[i] = i % 40 >= 30 ? 0xFF0000FFu : 0xFF808080u;
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
  POINT o = {0, 0};
  ClientToScreen(w->GetHWND(), &o);

  // Hover: the tooltip shows under the pointer; without "hovertextcolor" the text keeps its colour.
  Mouse(0, w, 70, 30);
  EXPECT_EQ(ok->GetState(), kStateHover);
  HWND tip = ok->GetTooltipWindow();
  ASSERT_TRUE(tip && IsWindowVisible(tip));
  RECT tipRect;
  POINT cursor;
  GetWindowRect(tip, &tipRect);
  GetCursorPos(&cursor);
  EXPECT_NEAR(tipRect.left, cursor.x, 2);  // the tooltip's own border may shift it a pixel
  EXPECT_NEAR(tipRect.top, cursor.y + 20, 2);
  // A copy made now shares no tooltip: going, it leaves the original's alone.
  EXPECT_EQ(std::static_pointer_cast<CUIButton>(ok->Clone())->GetTooltipWindow(), nullptr);
  EXPECT_TRUE(IsWindowVisible(tip));
  int yellow = 0;
  for (int x = 11; x < 129; ++x) yellow += ScreenPixel(o.x + x, o.y + 30) == RGB(255, 255, 0) ? 1 : 0;
  EXPECT_GT(yellow, 3);

  Mouse(MOUSEEVENTF_LEFTDOWN);
  EXPECT_EQ(ok->GetState(), kStateDown);
  Mouse(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(Clicks(), "ok;");
  Mouse(0, w, 200, 150);  // leaving closes the tooltip
  EXPECT_FALSE(IsWindow(tip));

  // Press on it, move off, release: no click, and the mouse is free again.
  Mouse(0, w, 70, 30);
  Mouse(MOUSEEVENTF_LEFTDOWN);
  Mouse(0, w, 200, 150);
  EXPECT_EQ(ok->GetState(), kStateNormal);
  Mouse(MOUSEEVENTF_LEFTUP);
  EXPECT_EQ(Clicks(), "ok;");
  EXPECT_EQ(GetCapture(), nullptr);

  // Disabled: the disabled frame, and no click from the mouse or from a press that reaches it.
  EXPECT_EQ(ScreenPixel(o.x + 70, o.y + 80), RGB(0, 0, 255));
  Mouse(0, w, 70, 80);
  Mouse(MOUSEEVENTF_LEFTDOWN);
  Mouse(MOUSEEVENTF_LEFTUP);
  off->OnMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(70, 80), nullptr);
  EXPECT_EQ(off->GetState(), kStateDisabled);
  off->OnMessage(WM_LBUTTONUP, 0, MAKELPARAM(70, 80), nullptr);
  EXPECT_EQ(Clicks(), "ok;");
  DestroyWindow(w->GetHWND());
}

TEST_F(ButtonWindow, RadioGroupSpansWindowsAndForgetsDestroyedButtons) {
  auto view = [](const std::string& id, int left) {
    return "<view id=\"" + id + "\" center=\"0\" left=\"" + std::to_string(left) +
           "\" top=\"100\" width=\"200\" height=\"100\"><container width=\"200\" height=\"100\">"
           "<radiobutton id=\"" + id + "1\" width=\"100\" height=\"50\" groupid=\"wg\" onclick=\"clicked\"/>"
           "<radiobutton id=\"" + id + "2\" left=\"100\" width=\"100\" height=\"50\" groupid=\"wg\"/>"
           "<radiobutton id=\"" + id + "3\" top=\"50\" width=\"100\" height=\"50\"/></container></view>";
  };
  CHostWnd* a = Make("a.xml", view("a", 100));
  CHostWnd* b = Make("b.xml", view("b", 400));
  ASSERT_TRUE(a && b && a->GetHWND() && b->GetHWND());
  auto *a1 = Find<CUIRadioButton>(a, "a1"), *a2 = Find<CUIRadioButton>(a, "a2");
  auto *a3 = Find<CUIRadioButton>(a, "a3"), *b1 = Find<CUIRadioButton>(b, "b1");
  EXPECT_EQ(a1->GetCheckedRadionButton(), nullptr);

  auto click = [](CHostWnd* w) {
    Mouse(0, w, 49, 25);  // twice: the first move may only end the capture of the window left
    Mouse(0, w, 50, 25);
    Mouse(MOUSEEVENTF_LEFTDOWN);
    Mouse(MOUSEEVENTF_LEFTUP);
  };
  click(a);
  EXPECT_TRUE(a1->IsCheck());
  EXPECT_EQ(Clicks(), "a1;");
  click(b);
  EXPECT_TRUE(b1->IsCheck());
  EXPECT_FALSE(a1->IsCheck());
  EXPECT_EQ(a2->GetCheckedRadionButton(), b1);

  a3->SetCheck(true);  // no group: touches no one else
  EXPECT_TRUE(b1->IsCheck());
  EXPECT_EQ(a3->GetCheckedRadionButton(), nullptr);

  // The checked button goes with its window, and leaves the group with it.
  DestroyWindow(b->GetHWND());
  Pump();
  EXPECT_EQ(a1->GetCheckedRadionButton(), nullptr);
  a2->SetCheck(true);
  EXPECT_EQ(a1->GetCheckedRadionButton(), a2);
  DestroyWindow(a->GetHWND());
}

}  // namespace
