// The list and its scroll bar without a window: range arithmetic, rows removed under the
// hover and selection marks, malformed settings. Drawing and mouse routing: list_window_test.
#include <gtest/gtest.h>

#include <rapidxml/rapidxml.hpp>
#include <string>
#include <vector>

#include "ControlFactory.h"
#include "ScrollBarGeometry.h"
#include "UIList.h"

using namespace ZOV;

namespace {

TEST(ScrollBarGeometry, HundredPixelListOfTwoHundredContentPixels) {
  // A 100-high bar with 8-pixel arrows: an 84-pixel track.
  ScrollMetrics m = ScrollRangeMetrics(84, 100, 200, ScrollMetrics());
  EXPECT_EQ(m.thumbLength, 42);
  EXPECT_EQ(m.maxPosition, 42);
  EXPECT_FLOAT_EQ(m.ratio, 0.42f);
  EXPECT_EQ(ScrollContentOffset(21, m.ratio), 50);
  EXPECT_EQ(ScrollContentOffset(42, m.ratio), 100);  // the bottom shows the last content pixel
  // A notch moves a quarter of the thumb. The bar is given minus the wheel's delta, so a notch
  // towards the user (-120) arrives as 120 and scrolls down.
  EXPECT_EQ(ScrollWheelStep(30, 42, 120), 10);
  EXPECT_EQ(ScrollWheelStep(30, 42, -120), -10);
  EXPECT_EQ(ScrollWheelStep(30, 42, 0), 10);        // 0 counts as a notch
  EXPECT_EQ(ScrollWheelStep(30, 42, 0x10078), 10);  // only the low 16 bits are the delta
  // Guards against a list too long for its thumb's share of a notch: the wheel must still move it.
  EXPECT_EQ(ScrollWheelStep(30, 0, 120), 1);
  EXPECT_EQ(ScrollWheelStep(30, 1, -120), -1);
  EXPECT_EQ(ScrollWheelStep(0, 42, 120), 0);  // a factor of 0 keeps the wheel off
}

// Guards against a thumb too short to grab on long content: it keeps a minimum length and the
// bottom of the track still reaches the last page.
TEST(ScrollBarGeometry, LongContentKeepsAGrabbableThumb) {
  ScrollMetrics m = ScrollRangeMetrics(84, 100, 200000, ScrollMetrics());
  EXPECT_EQ(m.thumbLength, kMinThumbLength);
  EXPECT_EQ(m.maxPosition, 84 - kMinThumbLength);
  EXPECT_NEAR(ScrollContentOffset(m.maxPosition, m.ratio), 200000 - 100, 1);
  EXPECT_EQ(ScrollRangeMetrics(5, 100, 200000, ScrollMetrics()).thumbLength, 5);  // short track
  // A page click moves the thumb's own length, not the minimum's: one page of content here
  // (4 of 76 track pixels over 1,900 content pixels), and still a pixel when that is 0.
  ScrollMetrics held = ScrollRangeMetrics(84, 100, 2000, ScrollMetrics());
  EXPECT_EQ(held.thumbLength, kMinThumbLength);
  EXPECT_EQ(ScrollContentOffset(held.stepLength, held.ratio), 100);
  EXPECT_EQ(m.stepLength, 1);
}

// Guards against a negative thumb and a division by zero when the content fits, and against
// a bar squeezed below its two arrows.
TEST(ScrollBarGeometry, ContentThatFitsCannotScroll) {
  ScrollMetrics fits = ScrollRangeMetrics(84, 100, 50, ScrollMetrics());
  EXPECT_EQ(fits.thumbLength, 84);
  EXPECT_EQ(fits.maxPosition, 0);
  EXPECT_EQ(ScrollContentOffset(ClampScrollPosition(30, fits.maxPosition), fits.ratio), 0);
  ScrollMetrics same = ScrollRangeMetrics(84, 100, 100, ScrollMetrics());
  EXPECT_EQ(same.maxPosition, 0);
  EXPECT_EQ(same.ratio, 0.0f);
  ScrollMetrics squeezed = ScrollRangeMetrics(-6, 10, 200, ScrollMetrics());
  EXPECT_EQ(squeezed.thumbLength, 0);
  EXPECT_EQ(squeezed.maxPosition, 0);
  ScrollMetrics kept = ScrollRangeMetrics(84, 0, 200, fits);  // no page: nothing changes
  EXPECT_EQ(kept.thumbLength, 84);
  EXPECT_EQ(ClampScrollPosition(-5, 42), 0);
  EXPECT_EQ(ClampScrollPosition(1LL << 40, 42), 42);
}

class ListControl : public ::testing::Test {
 protected:
  // A 100 by 100 list at (10, 10) in a root container, with `rows` empty rows of 20 pixels.
  void Build(int rows, const char* listAttributes = "itemheight=\"20\"") {
    std::string xml =
        std::string("<container><list id=\"list\" left=\"10\" top=\"10\" width=\"100\" height=\"100\" ") +
        listAttributes + ">";
    for (int i = 0; i < rows; ++i) xml += "<container id=\"r" + std::to_string(i) + "\"/>";
    xml += "</list></container>";
    m_text.assign(xml.begin(), xml.end());
    m_text.push_back(0);
    m_doc.parse<0>(m_text.data());
    m_root = std::make_shared<CUIControlContainer>();
    m_root->ParseAttributes(m_doc.first_node());
    m_root->SetRect(RECT{0, 0, 300, 300});
    m_list = dynamic_cast<CUIList*>(m_root->FindControl("list"));
    ASSERT_NE(m_list, nullptr);
  }
  void Send(UINT msg, int x, int y, WPARAM wParam = 0) {
    m_root->OnMessage(msg, wParam, MAKELPARAM(x, y), nullptr);
  }

  std::vector<char> m_text;
  rapidxml::xml_document<char> m_doc;
  std::shared_ptr<CUIControlContainer> m_root;
  CUIList* m_list = nullptr;
};

// Guards against marks that slide onto the next row, or past the end, when rows go.
TEST_F(ListControl, RemovedRowsTakeTheirMarksAlong) {
  Build(10);
  EXPECT_EQ(m_list->SelectItem(10), 0);  // index = row count: nothing changes
  EXPECT_EQ(m_list->SelectItem(-1), 0);
  EXPECT_EQ(m_list->GetSelectedRow(), -1);
  EXPECT_EQ(m_list->SelectItem(5), 1);
  Send(WM_LBUTTONDOWN, 105, 105);  // two pages down on the bar's down arrow: to the end,
  Send(WM_LBUTTONDOWN, 105, 105);  // offset 100, row 7 at 50..70
  Send(WM_MOUSEMOVE, 50, 55);
  ASSERT_EQ(m_list->GetHoverRow(), 7);

  EXPECT_EQ(m_list->RemoveRow(2), 1);
  EXPECT_EQ(m_list->GetSelectedRow(), 4);
  EXPECT_EQ(m_list->GetHoverRow(), 6);
  // Scrolled to the end, 9 rows: the shorter range keeps the last row at the list's bottom.
  EXPECT_EQ(m_list->GetScrollBar()->GetPosition(), m_list->GetScrollBar()->GetMaxPosition());
  EXPECT_EQ(m_list->FindControl("r9")->GetRect().bottom, 110);
  EXPECT_EQ(m_list->RemoveRow(4), 1);
  EXPECT_EQ(m_list->GetSelectedRow(), -1);
  EXPECT_EQ(m_list->RemoveRow(8), 0);
  EXPECT_EQ(m_list->RemoveRow(-1), 0);
  EXPECT_EQ(m_list->GetHoverRow(), 5);
  EXPECT_EQ(m_list->RemoveControlByID("r0"), 1);  // the container's own removal mends them too
  EXPECT_EQ(m_list->GetHoverRow(), 4);

  // Five rows fit: the bar goes, and the rows start at the top again.
  while (m_list->GetControlCount() > 5) m_list->RemoveRow(0);
  EXPECT_EQ(m_list->GetScrollBar(), nullptr);
  EXPECT_EQ(m_list->GetSubControl(0)->GetRect().top, 10);
  m_list->RemoveAllControl();
  EXPECT_EQ(m_list->GetHoverRow(), -1);
}

// Guards the shortcut that places only an added row: when the longer range moves the content
// under a scrolled bar, every row must follow.
TEST_F(ListControl, RowsAddedWhileScrolledStayInStep) {
  Build(10);
  Send(WM_LBUTTONDOWN, 105, 105);  // one page down
  for (int i = 0; i < 3; ++i) m_list->AddControl(std::make_shared<CUIControlContainer>());
  int offset = m_list->GetScrollBar()->GetContentOffset();
  ASSERT_GT(offset, 0);
  for (int i = 0; i < m_list->GetControlCount(); ++i)
    EXPECT_EQ(m_list->GetSubControl(i)->GetRect().top, 10 + 20 * i - offset) << "row " << i;
}

TEST_F(ListControl, MalformedSettingsReadAsDefinedValues) {
  Build(10, R"(itemheight="-20" itemhoverbkcolor="#GG" itemselectedbkcolor="")");
  EXPECT_EQ(m_list->GetItemHeight(), 0);  // no upside-down rows, nothing to scroll
  EXPECT_EQ(m_list->GetScrollBar(), nullptr);
  Send(WM_MOUSEWHEEL, 50, 50, MAKEWPARAM(0, 120));
  Send(WM_LBUTTONUP, 50, 50);
  EXPECT_EQ(m_list->GetSelectedRow(), -1);

  // A scroll bar of its own, shorter than its two arrows, given content that fits.
  ControlPtr c = CControlFactory::Instance().Create("scrollbar");
  auto* bar = dynamic_cast<CUIScrollBar*>(c.get());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->GetImageSpec().name, L"scrollbar.png");
  bar->SetRect(RECT{0, 0, 8, 10});
  bar->SetRange(100, 50);
  bar->ScrollBy(1000);
  EXPECT_EQ(bar->GetContentOffset(), 0);
  EXPECT_EQ(bar->GetThumbLength(), 0);
}

}  // namespace
