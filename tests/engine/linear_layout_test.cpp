// The linear layout: the placing arithmetic, and layouts built from skin elements.
#include <gtest/gtest.h>

#include <rapidxml/rapidxml.hpp>
#include <string>
#include <vector>

#include "LinearLayoutGeometry.h"
#include "UILinearLayout.h"

using namespace ZOV;

namespace {

std::string Str(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

TEST(LinearLayoutGeometry, CentredRowOfDeclaredWidths) {
  LinearLayoutSettings s;
  s.align = 1;
  s.padding = 10;
  // Two visible children of 20 and 30 in 100 pixels: 60 of content, starting at 20.
  std::vector<RECT> r = LinearLayoutRects(s, SIZE{100, 40}, {20, 30});
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(Str(r[0]), "20,0,40,40");  // the whole cross axis
  EXPECT_EQ(Str(r[1]), "50,0,80,40");
  s.align = 2;
  EXPECT_EQ(LinearLayoutRects(s, SIZE{100, 40}, {20, 30})[0].left, 40);
  s.align = 1;
  EXPECT_EQ(LinearLayoutRects(s, SIZE{50, 40}, {20, 30})[0].left, -5);  // overflows both ways
  EXPECT_TRUE(LinearLayoutRects(s, SIZE{100, 40}, {}).empty());
}

TEST(LinearLayoutGeometry, ItemSizeSquaresDownwards) {
  LinearLayoutSettings s;
  s.vertical = true;
  s.padding = 5;
  s.itemSize = SIZE{40, 40};
  std::vector<RECT> r = LinearLayoutRects(s, SIZE{300, 300}, {7, 0, 99});  // declared lengths unused
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(Str(r[0]), "0,0,40,40");
  EXPECT_EQ(Str(r[1]), "0,45,40,85");
  EXPECT_EQ(Str(r[2]), "0,90,40,130");
}

class LinearLayout : public ::testing::Test {
 protected:
  std::shared_ptr<CUILinearLayout> Build(const char* xml) {
    m_text.assign(xml, xml + strlen(xml) + 1);
    m_doc.parse<0>(m_text.data());
    auto layout = std::make_shared<CUILinearLayout>();
    layout->ParseAttributes(m_doc.first_node());
    return layout;
  }
  std::vector<char> m_text;
  rapidxml::xml_document<char> m_doc;
};

TEST_F(LinearLayout, HiddenChildrenAreSkippedAndKeepTheirRect) {
  auto l = Build(R"(<linearlayout align="1" childpadding="10">
      <container id="a" left="99" top="99" width="20" height="5" onsizepercent="0,0,100,100"/>
      <container id="hidden" visible="0" width="500"/>
      <container id="b" width="30"/></linearlayout>)");
  std::string hidden = Str(l->FindControl("hidden")->GetRect());
  l->SetRect(RECT{100, 50, 200, 90});
  EXPECT_EQ(Str(l->FindControl("a")->GetRect()), "120,50,140,90");  // declared place unused
  EXPECT_EQ(Str(l->FindControl("b")->GetRect()), "150,50,180,90");
  EXPECT_EQ(Str(l->FindControl("hidden")->GetRect()), hidden);
  EXPECT_NE(l->FindControl("a")->GetPercent(), nullptr);  // kept, not applied
  l->FindControl("hidden")->SetVisible(true);               // counts at the next layout
  l->SetRect(RECT{100, 50, 200, 90});                       // the same rect lays out again
  EXPECT_EQ(l->FindControl("a")->GetRect().left, 100 + (100 - 570) / 2);
}

TEST_F(LinearLayout, AttributesAndMalformedValues) {
  auto l = Build(R"(<linearlayout vertical="1" itemsize="40,40" childpadding="4" align="7"><container/></linearlayout>)");
  EXPECT_EQ(l->GetType(), kTypeLinearLayout);
  EXPECT_TRUE(l->GetSettings().vertical);
  EXPECT_EQ(l->GetSettings().align, 2);
  ASSERT_TRUE(l->GetSettings().itemSize.has_value());
  EXPECT_EQ(l->GetSettings().itemSize->cy, 40);
  l->SetRect(RECT{0, 0, 100, 100});
  EXPECT_EQ(Str(l->GetSubControl(0)->GetRect()), "0,60,40,100");

  l = Build(R"(<linearlayout vertical="0" itemsize="x" childpadding="y" align="-3"><container width="10"/></linearlayout>)");
  EXPECT_FALSE(l->GetSettings().vertical);
  EXPECT_EQ(l->GetSettings().align, 0);
  EXPECT_EQ(l->GetSettings().padding, 0);
  EXPECT_EQ(l->GetSettings().itemSize->cx, 0);  // present, with what could be read: nothing
  l->SetRect(RECT{0, 0, 100, 100});
  EXPECT_EQ(Str(l->GetSubControl(0)->GetRect()), "0,0,0,0");
  ControlPtr copy = l->Clone();
  EXPECT_EQ(dynamic_cast<CUILinearLayout*>(copy.get())->GetSettings().itemSize->cx, 0);
}

}  // namespace
