// The list and its scroll bar without a window: range arithmetic, rows under the scroll
// offset, thumb drag, wheel and page clicks, selection, and rows removed under the marks.
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

TEST(ScrollBarGeometry, ArrowsActAsTheTrackBesideTheThumb) {
  RECT bar = {91, 0, 99, 100};
  auto hit = [&](int x, int y) { return ScrollHitTest(bar, 8, 10, 42, POINT{x, y}); };
  EXPECT_EQ(hit(95, 3), ScrollHit::kPageUp);  // up arrow
  EXPECT_EQ(hit(95, 17), ScrollHit::kPageUp);
  EXPECT_EQ(hit(95, 18), ScrollHit::kThumb);  // 8 + 10
  EXPECT_EQ(hit(95, 59), ScrollHit::kThumb);
  EXPECT_EQ(hit(95, 60), ScrollHit::kPageDown);
  EXPECT_EQ(hit(95, 95), ScrollHit::kPageDown);  // down arrow
  EXPECT_EQ(hit(90, 30), ScrollHit::kOutside);
}

class ListControl : public ::testing::Test {
 protected:
  // A 100 by 100 list at (10, 10) in a root container, with `rows` empty rows of 20 pixels.
  void Build(int rows, const char* listAttributes = "itemheight=\"20\"") {
    std::string xml = std::string("<container><list id=\"list\" left=\"10\" top=\"10\" width=\"100\" height=\"100\" ") +
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
  LRESULT Send(UINT msg, int x, int y, WPARAM wParam = 0) {
    return m_root->OnMessage(msg, wParam, MAKELPARAM(x, y), nullptr);
  }
  int RowTop(int i) { return m_list->GetSubControl(i)->GetRect().top; }

  std::vector<char> m_text;
  rapidxml::xml_document<char> m_doc;
  std::shared_ptr<CUIControlContainer> m_root;
  CUIList* m_list = nullptr;
};

TEST_F(ListControl, TenRowsScrollByDragWheelAndPage) {
  Build(10);
  CUIScrollBar* bar = m_list->GetScrollBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->GetType(), kTypeScrollBar);
  EXPECT_EQ(bar->GetRect().left, 101);  // 8 wide, 1 inside the list's right edge at 110
  EXPECT_EQ(bar->GetRect().right, 109);
  EXPECT_EQ(bar->GetThumbLength(), 42);
  EXPECT_EQ(bar->GetMaxPosition(), 42);
  EXPECT_EQ(m_list->GetControlCount(), 10);  // the bar is no row
  EXPECT_EQ(m_list->FindControl("r9")->GetRect().bottom, 210);

  // Thumb from y 18 to 60: press on it, drag 21 pixels down, release.
  Send(WM_LBUTTONDOWN, 105, 30);
  EXPECT_TRUE(bar->IsDragging());
  EXPECT_EQ(bar->GetHotState(), CUIScrollBar::kPressed);
  Send(WM_MOUSEMOVE, 105, 51);
  EXPECT_EQ(bar->GetContentOffset(), 50);
  EXPECT_EQ(RowTop(0), 10 - 50);
  EXPECT_EQ(RowTop(3), 20);
  Send(WM_MOUSEMOVE, 105, 105);  // on the down arrow: the thumb stays
  EXPECT_EQ(bar->GetPosition(), 21);
  Send(WM_LBUTTONUP, 105, 105);
  EXPECT_FALSE(bar->IsDragging());

  // The wheel: towards the user (negative delta) scrolls down by a quarter thumb.
  Send(WM_MOUSEWHEEL, 50, 50, MAKEWPARAM(0, (WORD)-120));
  EXPECT_EQ(bar->GetPosition(), 31);
  for (int i = 0; i < 5; ++i) Send(WM_MOUSEWHEEL, 50, 50, MAKEWPARAM(0, 120));
  EXPECT_EQ(bar->GetPosition(), 0);

  // A click on the down arrow pages by a thumb length, up to the end of the rows.
  Send(WM_LBUTTONDOWN, 105, 105);
  Send(WM_LBUTTONDOWN, 105, 105);
  EXPECT_EQ(bar->GetPosition(), 42);
  EXPECT_EQ(m_list->FindControl("r9")->GetRect().bottom, 110);
  Send(WM_LBUTTONDOWN, 105, 12);  // up arrow
  EXPECT_EQ(bar->GetPosition(), 0);
}

TEST_F(ListControl, HoverAndSelectionFollowTheRowsUnderTheMouse) {
  Build(3, R"(itemheight="20" itemhoverbkcolor="#00FF00" itemselectedbkcolor="#0000FF")");
  EXPECT_EQ(m_list->GetScrollBar(), nullptr);  // 60 pixels fit in 100
  EXPECT_EQ(m_list->GetHoverRowColor(), RGB(0, 255, 0));
  Send(WM_MOUSEMOVE, 50, 35);
  EXPECT_EQ(m_list->GetHoverRow(), 1);
  Send(WM_LBUTTONDOWN, 50, 35);
  Send(WM_LBUTTONUP, 50, 35);
  EXPECT_EQ(m_list->GetSelectedRow(), 1);
  Send(WM_MOUSEMOVE, 50, 80);  // below the rows: no hover row, the selection stays
  EXPECT_EQ(m_list->GetHoverRow(), -1);
  Send(WM_LBUTTONUP, 50, 80);
  EXPECT_EQ(m_list->GetSelectedRow(), 1);
  m_list->FindControl("r2")->SetEnable(false);  // disabled rows are not hit
  Send(WM_MOUSEMOVE, 50, 55);
  EXPECT_EQ(m_list->GetHoverRow(), -1);

  EXPECT_EQ(m_list->SelectItem(3), 0);  // index = row count
  EXPECT_EQ(m_list->SelectItem(-1), 0);
  EXPECT_EQ(m_list->GetSelectedRow(), 1);
  EXPECT_EQ(m_list->SelectItem(2), 1);
  EXPECT_EQ(m_list->GetSelectedRow(), 2);
}

// Guards against marks that slide onto the next row, or past the end, when rows go.
TEST_F(ListControl, RemovedRowsTakeTheirMarksAlong) {
  Build(10);
  m_list->SelectItem(5);
  Send(WM_LBUTTONDOWN, 105, 105);
  Send(WM_LBUTTONDOWN, 105, 105);  // offset 100: row 7 at 50..70
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
  EXPECT_EQ(RowTop(0), 10);
  m_list->RemoveAllControl();
  EXPECT_EQ(m_list->GetHoverRow(), -1);
}

TEST_F(ListControl, MalformedAttributesGiveDefinedValues) {
  Build(10, R"(itemheight="-20" itemhoverbkcolor="#GG" itemselectedbkcolor="" onsizepercent="x")");
  EXPECT_EQ(m_list->GetItemHeight(), 0);  // no upside-down rows
  EXPECT_EQ(m_list->GetScrollBar(), nullptr);
  Build(10, R"(itemheight="twenty")");
  EXPECT_EQ(m_list->GetItemHeight(), 0);
  Send(WM_MOUSEWHEEL, 50, 50, MAKEWPARAM(0, 120));  // nothing to scroll: nothing happens
  Send(WM_LBUTTONUP, 50, 50);
  EXPECT_EQ(m_list->GetSelectedRow(), -1);

  // A scroll bar of its own, from the factory, with broken numbers and no range.
  ControlPtr c = CControlFactory::Instance().Create("scrollbar");
  auto* bar = dynamic_cast<CUIScrollBar*>(c.get());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->GetImageSpec().name, L"scrollbar.png");
  bar->SetRect(RECT{0, 0, 8, 10});  // shorter than its two arrows
  bar->SetRange(100, 50);
  bar->ScrollByWheel(-120);
  bar->ScrollBy(1000);
  EXPECT_EQ(bar->GetContentOffset(), 0);
  EXPECT_GE(bar->GetThumbLength(), 0);
}

}  // namespace
