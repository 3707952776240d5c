// The static control's attributes, clone and operations, without a window.
#include <gtest/gtest.h>

#include <rapidxml/rapidxml.hpp>
#include <string>
#include <vector>

#include "ControlFactory.h"
#include "ResourceManager.h"
#include "UIControlContainer.h"
#include "UIStatic.h"

using namespace ZOV;

namespace {

class StaticControl : public ::testing::Test {
 protected:
  // Parses one element; the document stays alive for the fixture's lifetime.
  const XmlNode* Element(const char* xml) {
    m_texts.emplace_back(xml, xml + strlen(xml) + 1);
    m_docs.emplace_back(new rapidxml::xml_document<char>);
    m_docs.back()->parse<0>(m_texts.back().data());
    return m_docs.back()->first_node();
  }
  std::shared_ptr<CUIStatic> Make(const char* xml) {
    auto s = std::make_shared<CUIStatic>();
    s->ParseAttributes(Element(xml));
    return s;
  }
  std::vector<std::vector<char>> m_texts;
  std::vector<std::unique_ptr<rapidxml::xml_document<char>>> m_docs;
};

TEST_F(StaticControl, DefaultsAndTypeCode) {
  CUIStatic s;
  EXPECT_EQ(s.GetType(), kTypeStatic);
  EXPECT_EQ(s.GetTextFormat(), (UINT)DT_NOPREFIX);
  EXPECT_EQ(s.GetTextColor(), 0x010101u);
  EXPECT_EQ(s.GetDisabledTextColor(), GetSysColor(COLOR_GRAYTEXT));
  EXPECT_STREQ(s.GetText(), "");
  EXPECT_EQ(s.GetBkImage(), "");
  EXPECT_EQ(s.GetFont(), nullptr);
}

TEST_F(StaticControl, FactoryMakesStatics) {
  ControlPtr c = CControlFactory::Instance().Create("static");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->GetType(), kTypeStatic);
  EXPECT_NE(dynamic_cast<CUIStatic*>(c.get()), nullptr);
  EXPECT_EQ(CControlFactory::Instance().Create("Static"), nullptr);  // names are case-sensitive
}

TEST_F(StaticControl, AttributesAfterTheCommonOnes) {
  auto s = Make(
      R"X(<static id="s" left="5" width="50" text="Hé" textcolor="#FF0000" disabledtextcolor="rgb(1,2,3)"
          textpadding="1,2,3,4" src="0,0,10,10" dest="2,2,18,18" corner="9,9,10,10" bkimage="img\bg.png"
          alignX="1" ellipsis="1"/>)X");
  EXPECT_STREQ(s->GetID(), "s");
  EXPECT_EQ(s->GetDeclaredRect().right, 55);
  EXPECT_STREQ(s->GetText(), "H\xc3\xa9");
  EXPECT_EQ(s->GetTextColor(), RGB(255, 0, 0));
  EXPECT_EQ(s->GetDisabledTextColor(), RGB(1, 2, 3));
  EXPECT_EQ(s->GetTextPadding().left, 1);
  EXPECT_EQ(s->GetTextPadding().bottom, 4);
  const ImageSpec& img = s->GetBkImageSpec();
  EXPECT_EQ(img.name, L"img\\bg.png");
  EXPECT_EQ(img.src.right, 10);
  EXPECT_EQ(img.dest.left, 2);
  EXPECT_EQ(img.dest.bottom, 18);
  EXPECT_EQ(img.corner.left, 9);
  EXPECT_EQ(img.corner.right, 10);
  EXPECT_EQ(s->GetBkImage(), "img\\bg.png");
  EXPECT_EQ(s->GetTextFormat(), 0x8821u);
}

TEST_F(StaticControl, AlignXWithoutAlignYCentresOnOneLineAtTheTop) {
  EXPECT_EQ(Make(R"(<static alignX="1"/>)")->GetTextFormat(), 0x821u);
  EXPECT_EQ(Make(R"(<static alignX="2" alignY="2"/>)")->GetTextFormat(), 0x80Au);
  EXPECT_EQ(Make(R"(<static alignX="-1" alignY="x" ellipsis="9"/>)")->GetTextFormat(), 0x800u);
}

TEST_F(StaticControl, EveryParseResetsTheAlignment) {
  // An include's own attributes parsed onto an included static: its alignment goes back to
  // left and top unless the include repeats it.
  auto s = Make(R"(<static alignX="1" alignY="1" text="a"/>)");
  EXPECT_EQ(s->GetTextFormat(), 0x825u);
  s->ParseAttributes(Element(R"(<include left="3"/>)"));
  EXPECT_EQ(s->GetTextFormat(), 0x800u);
  EXPECT_STREQ(s->GetText(), "a");  // other settings stay
  s->ParseAttributes(Element(R"(<include alignY="1"/>)"));
  EXPECT_EQ(s->GetTextFormat(), 0x824u);
}

TEST_F(StaticControl, LaterDuplicateWinsAndMalformedNumbersAreZero) {
  auto s = Make(R"(<static text="one" text="two" textpadding="x,,7" corner="" src="1;2;3;4"/>)");
  EXPECT_STREQ(s->GetText(), "two");
  EXPECT_EQ(s->GetTextPadding().left, 0);
  EXPECT_EQ(s->GetTextPadding().top, 0);
  EXPECT_EQ(s->GetBkImageSpec().corner.left, 0);
  EXPECT_EQ(s->GetBkImageSpec().src.bottom, 4);
}

TEST_F(StaticControl, FontFromTheSkinFontList) {
  CResourceManager::Instance().AddFont(Element(R"(<font id="static-test-font" family="Arial" size="14"/>)"));
  HFONT font = CResourceManager::Instance().GetFont("static-test-font");
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(Make(R"(<static font="static-test-font"/>)")->GetFont(), font);
  EXPECT_EQ(Make(R"(<static font="no-such-font"/>)")->GetFont(), nullptr);
}

TEST_F(StaticControl, RotateAddsAndReducesOnce) {
  CUIStatic s;
  s.Rotate(350);
  s.Rotate(350);
  EXPECT_EQ(s.GetRotation(), 340);
  CUIStatic t;
  t.Rotate(-30);
  EXPECT_EQ(t.GetRotation(), -30);
  t.Rotate(390);
  EXPECT_EQ(t.GetRotation(), 360);
}

TEST_F(StaticControl, TextAndImageSettersWithoutAHost) {
  CUIStatic s;
  s.SetText("hello");
  EXPECT_STREQ(s.GetText(), "hello");
  s.SetText(nullptr);
  EXPECT_STREQ(s.GetText(), "");
  s.SetBkImage("a\xc3\xa9.png");
  EXPECT_EQ(s.GetBkImageSpec().name, L"a\u00e9.png");
  EXPECT_EQ(s.GetBkImage(), "a\xc3\xa9.png");
  s.SetBkImage(nullptr);
  EXPECT_EQ(s.GetBkImage(), "");
  s.SetTextColor(0x123456);
  EXPECT_EQ(s.GetTextColor(), 0x123456u);
}

TEST_F(StaticControl, CloneCopiesEveryField) {
  auto s = Make(R"(<static id="c" text="t" textcolor="#00FF00" textpadding="1,1,1,1" bkimage="b.png"
                   corner="1,2,3,4" alignX="2"/>)");
  s->Rotate(45);
  ControlPtr c = s->Clone();
  auto* copy = dynamic_cast<CUIStatic*>(c.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, s.get());
  EXPECT_STREQ(copy->GetID(), "c");
  EXPECT_STREQ(copy->GetText(), "t");
  EXPECT_EQ(copy->GetTextColor(), RGB(0, 255, 0));
  EXPECT_EQ(copy->GetTextFormat(), 0x802u);
  EXPECT_EQ(copy->GetRotation(), 45);
  EXPECT_EQ(copy->GetBkImageSpec().name, L"b.png");
  EXPECT_EQ(copy->GetBkImageSpec().corner.bottom, 4);
  EXPECT_EQ(copy->GetType(), kTypeStatic);
}

TEST_F(StaticControl, BuiltAsAChildOfAContainer) {
  auto root = std::make_shared<CUIControlContainer>();
  root->ParseAttributes(Element(R"(<container width="100" height="100">
      <static id="a" text="x" left="10" top="10" width="20" height="20"/><nosuch/></container>)"));
  ASSERT_EQ(root->GetControlCount(), 1);
  EXPECT_EQ(root->GetSubControl(0)->GetType(), kTypeStatic);
}

}  // namespace
