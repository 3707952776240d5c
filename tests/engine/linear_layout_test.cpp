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

TEST(LinearLayoutGeometry, ItemSizeSquaresDownwardsAndAlignment) {
  LinearLayoutSettings s;
  s.vertical = true;
  s.padding = 5;
  s.itemSize = SIZE{40, 40};
  std::vector<RECT> r = LinearLayoutRects(s, SIZE{300, 300}, {7, 0, 99});  // declared lengths unused
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(Str(r[0]), "0,0,40,40");
  EXPECT_EQ(Str(r[1]), "0,45,40,85");
  EXPECT_EQ(Str(r[2]), "0,90,40,130");
  EXPECT_EQ(LinearLayoutStart(2, 100, 60), 40);
  EXPECT_EQ(LinearLayoutStart(1, 50, 60), -5);  // too long: overflows both ends
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

TEST_F(LinearLayout, CentredRowSkipsHiddenChildren) {
  auto l = Build(R"(<linearlayout align="1" childpadding="10">
      <container id="a" left="99" top="99" width="20" height="5" onsizepercent="0,0,100,100"/>
      <container id="hidden" visible="0" width="500"/>
      <container id="b" width="30"/></linearlayout>)");
  std::string hidden = Str(l->FindControl("hidden")->GetRect());
  // 100 wide: 20 + 10 + 30 = 60 of content, from x 20; the whole height; declared places unused.
  l->SetRect(RECT{100, 50, 200, 90});
  EXPECT_EQ(Str(l->FindControl("a")->GetRect()), "120,50,140,90");
  EXPECT_EQ(Str(l->FindControl("b")->GetRect()), "150,50,180,90");
  EXPECT_EQ(Str(l->FindControl("hidden")->GetRect()), hidden);
  EXPECT_NE(l->FindControl("a")->GetPercent(), nullptr);  // kept, not applied
  l->FindControl("hidden")->SetVisible(true);
  l->SetRect(RECT{100, 50, 200, 90});  // the same rect lays out again
  EXPECT_EQ(l->FindControl("a")->GetRect().left, 100 + (100 - 570) / 2);
}

TEST_F(LinearLayout, MalformedSettingsReadAsDefinedValues) {
  auto l = Build(R"(<linearlayout vertical="" itemsize="x" childpadding="y" align="7"/>)");
  EXPECT_TRUE(l->GetSettings().vertical);  // only "0" is off
  EXPECT_EQ(l->GetSettings().align, 2);
  EXPECT_EQ(l->GetSettings().padding, 0);
  EXPECT_EQ(l->GetSettings().itemSize->cx, 0);  // present, with what could be read: nothing
  EXPECT_EQ(Build(R"(<linearlayout align="-3"/>)")->GetSettings().align, 0);
}

}  // namespace
