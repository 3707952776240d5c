// Statics in a real window on the virtual display: text and images reach the screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Engine.h"
#include "HostWnd.h"
#include "PngWriter.h"
#include "TempDir.h"
#include "UIBuilder.h"
#include "UIStatic.h"
#include "WindowPump.h"

using namespace ZOV;

namespace {

class StaticWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    CEngine::Instance().Init();
    ASSERT_EQ(CEngine::Instance().SkinLoader().SetPackagePath(m_skin.path()), 1);
  }
  void TearDown() override {
    Pump();
    CEngine::Instance().SkinLoader().CloseSkin();
  }
  TempDir m_skin;
};

TEST_F(StaticWindow, TextAndImagesReachTheScreen) {
  // 20x20 frame: a 4-pixel red border round a green middle.
  std::vector<uint32_t> frame(400);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      frame[y * 20 + x] = (x < 4 || y < 4 || x >= 16 || y >= 16) ? 0xFFFF0000u : 0xFF00FF00u;
  m_skin.Write(L"img\\win-frame.png", MakePngRgba(20, 20, frame));
  m_skin.Write(L"img\\win-blue.png", MakePngRgba(2, 2, std::vector<uint32_t>(4, 0xFF0000FFu)));
  m_skin.Write(L"statics.xml",
               R"(<ui><view id="statics" center="0" left="200" top="150" width="300" height="200">
      <container width="300" height="200" bkcolor="#202020">
        <static id="frame" left="10" top="10" width="120" height="80" bkimage="img\win-frame.png" corner="9,9,10,10"/>
        <static id="blue" left="150" top="10" width="40" height="40" bkimage="img\win-blue.png" dest="5,5,35,35"/>
        <static id="label" left="10" top="120" width="280" height="40" text="Quillon static" textcolor="#FFFF00"
                alignX="1" alignY="1" bordersize="1" bordercolor="#FFFFFF"/>
      </container></view></ui>)");
  CHostWnd* w = CUIBuilder::Instance().CreateWindowFromXml("statics.xml");
  ASSERT_TRUE(w && w->GetHWND());
  Settle();
  POINT o = {0, 0};
  ClientToScreen(w->GetHWND(), &o);
  auto at = [&](int x, int y) { return ScreenPixel(o.x + x, o.y + y); };
  // Nine-grid about the image's middle line: 4-pixel red edges kept, green middle stretched.
  EXPECT_EQ(at(10, 10), RGB(255, 0, 0));
  EXPECT_EQ(at(13, 13), RGB(255, 0, 0));
  EXPECT_EQ(at(14, 14), RGB(0, 255, 0));
  EXPECT_EQ(at(125, 85), RGB(0, 255, 0));
  EXPECT_EQ(at(126, 86), RGB(255, 0, 0));
  EXPECT_EQ(at(129, 89), RGB(255, 0, 0));
  // Offset image: 5 pixels in from the control's corner.
  EXPECT_EQ(at(154, 14), RGB(0x20, 0x20, 0x20));
  EXPECT_EQ(at(155, 15), RGB(0, 0, 255));
  EXPECT_EQ(at(184, 44), RGB(0, 0, 255));
  EXPECT_EQ(at(185, 45), RGB(0x20, 0x20, 0x20));
  // Text: yellow pixels in the middle of the label, none near its ends.
  int yellow = 0, outside = 0;
  for (int y = 121; y < 159; ++y)
    for (int x = 11; x < 289; ++x) {
      COLORREF c = at(x, y);
      bool isYellow = GetRValue(c) > 0x80 && GetGValue(c) > 0x80 && GetBValue(c) < 0x60;
      if (isYellow && x > 60 && x < 240) ++yellow;
      if (isYellow && (x <= 60 || x >= 240)) ++outside;
    }
  EXPECT_GT(yellow, 30);
  EXPECT_EQ(outside, 0);
  EXPECT_EQ(at(10, 120), RGB(255, 255, 255));  // border

  // A script-style change repaints.
  auto* label = dynamic_cast<CUIStatic*>(w->GetRootControl()->FindControl("label"));
  ASSERT_NE(label, nullptr);
  label->SetText("");
  Settle();
  for (int x = 11; x < 289; x += 3) EXPECT_EQ(at(x, 140), RGB(0x20, 0x20, 0x20)) << x;
  DestroyWindow(w->GetHWND());
}

}  // namespace
