// Buttons and check boxes painted into a memory bitmap: the strip frame of each state, text
// colours by state, and bad settings that draw nothing rather than fail.
#include <gtest/gtest.h>

#include <rapidxml/rapidxml.hpp>
#include <string>
#include <vector>

#include "Engine.h"
#include "PngWriter.h"
#include "StaticCanvas.h"
#include "TempDir.h"
#include "UICheckBox.h"

using namespace ZOV;

namespace {

const uint32_t kBack = 0x102030;
// One colour per frame of an eight-frame strip, 10 pixels wide each.
const uint32_t kFrame[8] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF, 0x800000, 0x008000};

class ButtonPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    CEngine::Instance().Init();
    ASSERT_EQ(CEngine::Instance().SkinLoader().SetPackagePath(m_skin.path()), 1);
  }
  void TearDown() override { CEngine::Instance().SkinLoader().CloseSkin(); }

  // A strip of `frames` frames named uniquely: the image cache outlives each test.
  std::string WriteStrip(int frames) {
    std::string name = "strip" + std::to_string(frames) + "-" + std::to_string(++s_names) + ".png";
    std::vector<uint32_t> px((size_t)frames * 10 * 10);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < frames * 10; ++x) px[y * frames * 10 + x] = 0xFF000000u | kFrame[x / 10];
    m_skin.Write(std::wstring(name.begin(), name.end()), MakePngRgba(frames * 10, 10, px));
    return name;
  }
  template <typename T>
  std::shared_ptr<T> Make(const std::string& xml) {
    m_texts.emplace_back(xml.begin(), xml.end());
    m_texts.back().push_back('\0');
    m_docs.emplace_back(new rapidxml::xml_document<char>);
    m_docs.back()->parse<0>(m_texts.back().data());
    auto c = std::make_shared<T>();
    c->ParseAttributes(m_docs.back()->first_node());
    c->SetRect({0, 0, 40, 40});
    return c;
  }
  static int Count(const StaticCanvas& c, uint32_t rgb) {
    int n = 0;
    for (int y = 0; y < c.height(); ++y)
      for (int x = 0; x < c.width(); ++x) n += c.At(x, y) == rgb ? 1 : 0;
    return n;
  }

  TempDir m_skin;
  std::vector<std::vector<char>> m_texts;
  std::vector<std::unique_ptr<rapidxml::xml_document<char>>> m_docs;
  static int s_names;
};

int ButtonPaint::s_names = 0;

TEST_F(ButtonPaint, EachStateShowsItsFrameOfTheStrip) {
  auto b = Make<CUIButton>("<button combineimage=\"" + WriteStrip(4) + "\"/>");
  StaticCanvas canvas(40, 40, kBack);
  for (int state : {kStateNormal, kStateHover, kStateDown}) {
    b->SetState(state);
    b->Paint(canvas.dc());
    EXPECT_EQ(canvas.At(0, 0), kFrame[state]) << state;
    EXPECT_EQ(canvas.At(39, 39), kFrame[state]) << state;
  }
  // A state outside the four shows the normal frame, not a frame past the strip's end.
  b->SetState(9);
  b->Paint(canvas.dc());
  EXPECT_EQ(canvas.At(20, 20), kFrame[0]);
  // Disabled: the last frame, whatever state the control was left in.
  b->SetState(kStateHover);
  b->SetEnable(false);
  b->Paint(canvas.dc());
  EXPECT_EQ(canvas.At(20, 20), kFrame[3]);
  b->SetState(kStateDown);
  EXPECT_EQ(b->GetState(), kStateDisabled);
}

TEST_F(ButtonPaint, CheckBoxShowsCheckedFramesFirst) {
  auto box = Make<CUICheckBox>("<checkbox combineimage=\"" + WriteStrip(8) + "\"/>");
  StaticCanvas canvas(40, 40, kBack);
  box->Paint(canvas.dc());
  EXPECT_EQ(canvas.At(20, 20), kFrame[4]);  // unchecked, normal
  box->SetState(kStateHover);
  box->SetCheck(true);
  box->Paint(canvas.dc());
  EXPECT_EQ(canvas.At(20, 20), kFrame[1]);  // checked, hover
  box->SetEnable(false);
  box->SetCheck(false);
  box->Paint(canvas.dc());
  EXPECT_EQ(canvas.At(20, 20), kFrame[7]);  // unchecked, disabled
}

TEST_F(ButtonPaint, TextColourFollowsTheState) {
  auto same = Make<CUIButton>(R"(<button text="HHHH" textcolor="#FF0000"/>)");
  auto own = Make<CUIButton>(R"(<button text="HHHH" textcolor="#FF0000" hovertextcolor="#00FF00"
      downtextcolor="#0000FF" disabledtextcolor="#FFFF00"/>)");
  struct Case {
    CUIButton* button;
    int state;
    bool enabled;
    uint32_t color;
  } cases[] = {
      {same.get(), kStateHover, true, 0xFF0000},  // no "hovertextcolor": the text colour
      {same.get(), kStateDown, true, 0xFF0000},   {own.get(), kStateNormal, true, 0xFF0000},
      {own.get(), kStateHover, true, 0x00FF00},   {own.get(), kStateDown, true, 0x0000FF},
      {own.get(), kStateHover, false, 0xFFFF00},
  };
  for (const Case& c : cases) {
    StaticCanvas canvas(40, 40, kBack);
    c.button->SetEnable(c.enabled);
    c.button->SetState(c.state);
    c.button->Paint(canvas.dc());
    EXPECT_GT(Count(canvas, c.color), 5) << c.state << " " << std::hex << c.color;
  }
}

TEST_F(ButtonPaint, BadSettingsDrawNothingOrInsideTheControl) {
  std::string strip = WriteStrip(4);
  const char* settings[] = {
      "combineimage=\"no-such.png\"",
      "combineimage=\"\"",
      "combineimage=\"STRIP\" src=\"x,y\" dest=\"-\" corner=\",,,\"",
      "combineimage=\"STRIP\" src=\"0,0,3,10\"",  // narrower than four frames: each 0 wide
      "combineimage=\"STRIP\" hovertextcolor=\"#zz\" downtextcolor=\"rgb(\" text=\"x\"",
  };
  for (std::string extra : settings) {
    size_t at = extra.find("STRIP");
    if (at != std::string::npos) extra.replace(at, 5, strip);
    auto b = Make<CUIButton>("<button " + extra + "/>");
    StaticCanvas canvas(60, 60, kBack);
    b->SetRect({10, 10, 50, 50});
    for (int state = kStateNormal; state <= kStateDisabled; ++state) {
      b->SetState(state);
      b->Paint(canvas.dc());
    }
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 60; ++x) {
        bool outside = x < 10 || y < 10 || x >= 50 || y >= 50;
        ASSERT_TRUE(!outside || canvas.At(x, y) == kBack) << extra << " at " << x << "," << y;
      }
  }
}

}  // namespace
