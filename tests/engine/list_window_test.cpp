// Lists, their scroll bars and tab controls in a real window on the virtual display: mouse
// messages routed by the host, what the user sees of hover, selection and the scroll bar, the
// mouse capture during a thumb drag, and tab pages that alone get clicks.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "Engine.h"
#include "ProcessCounts.h"
#include "HostWnd.h"
#include "PngWriter.h"
#include "TempDir.h"
#include "UIBuilder.h"
#include "UIList.h"
#include "UITabCtrl.h"
#include "WindowPump.h"

using namespace ZOV;

namespace {

const COLORREF kBack = RGB(0x20, 0x20, 0x20), kHover = RGB(0, 255, 0), kSelected = RGB(0, 0, 255);
const COLORREF kTrack[2] = {RGB(0x80, 0x80, 0x80), RGB(0xA0, 0xA0, 0xA0)};  // normal, hover
const COLORREF kThumb[3] = {RGB(0xFF, 0x80, 0), RGB(0xFF, 0xC0, 0), RGB(0xFF, 0, 0)};
const COLORREF kArrow = RGB(0x40, 0x40, 0x40);

// The 4 by 4 frame image of 8-pixel cells: columns normal, hover, pressed (and one unused);
// rows up arrow, track, down arrow, thumb.
std::string ScrollBarPng() {
  std::vector<uint32_t> px(32 * 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      int col = x / 8 < 3 ? x / 8 : 2, row = y / 8;
      COLORREF c = row == 1 ? kTrack[col ? 1 : 0] : row == 3 ? kThumb[col] : kArrow;
      px[y * 32 + x] = 0xFF000000u | (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
  return MakePngRgba(32, 32, px);
}

class ListWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    CEngine::Instance().Init();
    ASSERT_EQ(CEngine::Instance().SkinLoader().SetPackagePath(m_skin.path()), 1);
    m_skin.Write(L"scrollbar.png", ScrollBarPng());
    // A list of ten 20-pixel rows at (10, 10), 120 by 100; a tab control at (140, 10) whose
    // pages are lists over its upper and lower halves, the lower one selected.
    std::string rows, small;
    for (int i = 0; i < 10; ++i) rows += "<container/>";
    for (int i = 0; i < 5; ++i) small += "<container/>";
    m_skin.Write(L"lists.xml",
                 R"(<ui><view id="lists" center="0" left="200" top="150" width="200" height="150">
        <container width="200" height="150" bkcolor="#202020">
          <list id="list" left="10" top="10" width="120" height="100" itemheight="20"
                itemhoverbkcolor="#00FF00" itemselectedbkcolor="#0000FF">)" +
                     rows + R"(</list>
          <tabctrl id="tab" left="140" top="10" width="50" height="100" select="1">
            <list id="p0" width="50" height="50" itemheight="10" bkcolor="#FF0000">)" +
                     small + R"(</list>
            <list id="p1" top="50" width="50" height="50" itemheight="10" bkcolor="#FFFF00">)" +
                     small + R"(</list>
          </tabctrl>
        </container></view></ui>)");
    // The real cursor away from where the window appears: one left there by an earlier test
    // would send the window real mouse moves between the test's own.
    SetCursorPos(1000, 700);
    m_wnd = CUIBuilder::Instance().CreateWindowFromXml("lists.xml");
    ASSERT_TRUE(m_wnd && m_wnd->GetHWND());
    m_hwnd = m_wnd->GetHWND();
    ClientToScreen(m_hwnd, &m_origin);
    m_list = dynamic_cast<CUIList*>(m_wnd->GetRootControl()->FindControl("list"));
    ASSERT_NE(m_list, nullptr);
    Settle();
  }
  void TearDown() override {
    if (IsWindow(m_hwnd)) DestroyWindow(m_hwnd);
    Pump();
    CEngine::Instance().SkinLoader().CloseSkin();
  }
  void Mouse(UINT msg, int x, int y) {
    SendMessageW(m_hwnd, msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, MAKELPARAM(x, y));
  }
  void Click(int x, int y) {
    Mouse(WM_LBUTTONDOWN, x, y);
    Mouse(WM_LBUTTONUP, x, y);
  }
  // The wheel's point is in screen coordinates.
  void Wheel(int delta, int x, int y) {
    SendMessageW(m_hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)delta),
                 MAKELPARAM(m_origin.x + x, m_origin.y + y));
  }
  COLORREF At(int x, int y) {
    Settle();
    return ScreenPixel(m_origin.x + x, m_origin.y + y);
  }
  CUIList* Page(const char* id) { return dynamic_cast<CUIList*>(m_wnd->GetRootControl()->FindControl(id)); }

  TempDir m_skin;
  CHostWnd* m_wnd = nullptr;
  HWND m_hwnd = nullptr;
  POINT m_origin = {0, 0};
  CUIList* m_list = nullptr;
};

TEST_F(ListWindow, SelectedRowKeepsItsColourWhileTheHoverColourMoves) {
  EXPECT_EQ(At(60, 40), kBack);
  Mouse(WM_MOUSEMOVE, 30, 35);  // row 1: y 30 to 50
  EXPECT_EQ(At(60, 40), kHover);
  Click(30, 35);
  EXPECT_EQ(At(60, 40), kSelected);  // selection wins over hover on the same row
  Mouse(WM_MOUSEMOVE, 30, 75);       // row 3
  EXPECT_EQ(At(60, 80), kHover);
  EXPECT_EQ(At(60, 40), kSelected);
  EXPECT_EQ(At(60, 60), kBack);
}

TEST_F(ListWindow, ThumbDragHoldsTheMouseAndScrollsTheRows) {
  // Bar at x 121 to 129: arrows 8 high, thumb 42 long from y 18.
  EXPECT_EQ(At(125, 12), kArrow);
  EXPECT_EQ(At(125, 40), kThumb[0]);
  EXPECT_EQ(At(125, 80), kTrack[0]);
  Mouse(WM_MOUSEMOVE, 30, 75);  // row 3 hovered, then the mouse goes onto the bar
  Mouse(WM_MOUSEMOVE, 125, 80);
  EXPECT_EQ(At(125, 80), kTrack[1]);
  EXPECT_EQ(At(125, 40), kThumb[1]);

  Mouse(WM_LBUTTONDOWN, 125, 30);
  EXPECT_EQ(GetCapture(), m_hwnd);
  EXPECT_EQ(m_wnd->GetCaptureControl(), m_list->GetScrollBar());
  EXPECT_EQ(At(125, 40), kThumb[2]);
  Mouse(WM_MOUSEMOVE, 125, 51);  // 21 pixels: 50 content pixels
  EXPECT_EQ(m_list->GetScrollBar()->GetContentOffset(), 50);
  Mouse(WM_MOUSEMOVE, 10, 61);  // off the list, still the bar's: 10 more
  EXPECT_EQ(m_list->GetScrollBar()->GetPosition(), 31);
  Mouse(WM_LBUTTONUP, 10, 61);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(m_wnd->GetCaptureControl(), nullptr);
  EXPECT_EQ(At(125, 70), kThumb[0]);  // thumb now from y 49
  EXPECT_EQ(At(125, 30), kTrack[0]);
  EXPECT_EQ(At(60, 12), kHover);  // row 3 at 10 + 60 - 73: its last 7 rows of pixels show

  Wheel(120, 60, 60);  // away from the user: up by a quarter thumb
  EXPECT_EQ(m_list->GetScrollBar()->GetPosition(), 21);
  EXPECT_EQ(At(60, 25), kHover);  // row 3 at 10 + 60 - 50
}

TEST_F(ListWindow, OnlyTheSelectedPageGetsClicksAndIsPainted) {
  auto* tab = dynamic_cast<CUITabCtrl*>(m_wnd->GetRootControl()->FindControl("tab"));
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(At(165, 30), kBack);  // page 0 is not painted
  EXPECT_EQ(At(165, 80), RGB(255, 255, 0));
  Click(165, 30);  // outside the selected page: nothing
  EXPECT_EQ(Page("p0")->GetSelectedRow(), -1);
  EXPECT_EQ(Page("p1")->GetSelectedRow(), -1);
  Click(165, 75);  // page 1 from y 60: row 1
  EXPECT_EQ(Page("p1")->GetSelectedRow(), 1);

  EXPECT_EQ(tab->SelectItem(2), 0);
  EXPECT_EQ(tab->GetCurSelectIndex(), 1u);
  EXPECT_EQ(tab->SelectItem(0), 1);
  EXPECT_EQ(At(165, 30), RGB(255, 0, 0));
  EXPECT_EQ(At(165, 80), kBack);
  Click(165, 35);
  EXPECT_EQ(Page("p0")->GetSelectedRow(), 2);
  Click(165, 75);
  EXPECT_EQ(Page("p1")->GetSelectedRow(), 1);
}

TEST_F(ListWindow, AWheelStepAsksForARepaintOfTheListOnly) {
  // Rows 5 to 9 lie below the list (y 110 to 210), in the window, before and after the step.
  RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  Wheel(-120, 60, 60);
  ASSERT_GT(m_list->GetScrollBar()->GetPosition(), 0);
  RECT dirty = {};
  GetUpdateRect(m_hwnd, &dirty, FALSE);
  EXPECT_TRUE(dirty.left >= 10 && dirty.top >= 10 && dirty.right <= 130 && dirty.bottom <= 110)
      << dirty.left << "," << dirty.top << "," << dirty.right << "," << dirty.bottom;
}

TEST_F(ListWindow, PaintingHoldsNoGdiObjects) {
  Mouse(WM_MOUSEMOVE, 125, 80);
  RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  DWORD before = GdiObjectCount();
  for (int i = 0; i < 20; ++i) {
    Wheel(i % 2 ? 120 : -120, 60, 60);
    RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  }
  EXPECT_EQ(GdiObjectCount(), before);
}

}  // namespace
