// The keyboard in real windows on the virtual display: Tab order, presses, arrows in groups,
// lists and tab controls, the focus cue, and popup menus driven by keys alone.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>

#include "MenuWnd.h"
#include "SkinWindowTest.h"
#include "UICheckBox.h"
#include "UIComboBox.h"
#include "UIList.h"
#include "UITabCtrl.h"

using namespace ZOV;

namespace {

std::map<UINT_PTR, std::function<void()>> g_later;

void CALLBACK RunLater(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  std::function<void()> fn = std::move(g_later[id]);
  g_later.erase(id);
  if (fn) fn();
}
// Runs fn once from a thread timer, inside whichever loop is running by then.
void After(UINT ms, std::function<void()> fn) { g_later[::SetTimer(nullptr, 0, ms, RunLater)] = std::move(fn); }

class KeyboardWindow : public SkinWindowTest {
 protected:
  void SetUp() override {
    SkinWindowTest::SetUp();
    Run("function pick1(item) item:GetHostWnd():EndMenu(1) end\n"
        "function pick9(item) item:GetHostWnd():EndMenu(9) end");
  }
  void TearDown() override {
    g_later.clear();
    SkinWindowTest::TearDown();
  }
  CHostWnd* Make(const std::string& view) { return SkinWindowTest::Make("v.xml", view, true); }
  static std::string FocusId(CHostWnd* w) { return w->GetFocusControl() ? w->GetFocusControl()->GetID() : "-"; }
  // Whether the focus cue's two rings show at a client point on a control's left edge.
  static bool CueAt(POINT origin, int x, int y) {
    return ScreenPixel(origin.x + x, origin.y + y) == RGB(255, 255, 255) &&
           ScreenPixel(origin.x + x + 1, origin.y + y) == RGB(1, 1, 1);
  }
};

TEST_F(KeyboardWindow, TabWalksReachableStopsInDocumentOrderAndKeysPressLikeClicks) {
  CHostWnd* w = Make(R"(<view id="k" center="0" left="100" top="100" width="300" height="300">
      <container width="300" height="300" bkcolor="#808080">
        <button id="b1" left="10" top="10" width="80" height="30" onclick="clicked"/>
        <static id="s" left="100" top="10" width="80" height="30" text="label"/>
        <button id="hidden" left="10" top="50" width="80" height="30" visible="0"/>
        <button id="off" left="100" top="50" width="80" height="30" enable="0"/>
        <edit id="e" left="10" top="90" width="80" height="24"/>
        <container left="0" top="130" width="300" height="100" visible="1">
          <checkbox id="c" left="10" top="0" width="80" height="30" onclick="clicked"/>
          <button id="skip" left="100" top="0" width="80" height="30" tabstop="0"/>
          <static id="stop" left="200" top="0" width="80" height="30" tabstop="1"/>
        </container>
        <button id="b2" left="10" top="250" width="80" height="30" onclick="clicked"/>
      </container></view>)");
  ASSERT_TRUE(w && w->GetHWND());
  // A click focuses the button it presses, and no cue shows yet.
  POINT o = {0, 0};
  ClientToScreen(w->GetHWND(), &o);
  SetCursorPos(o.x + 50, o.y + 25);
  INPUT click[2] = {};
  click[0].type = click[1].type = INPUT_MOUSE;
  click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, click, sizeof(INPUT));
  Settle(6);
  EXPECT_EQ(FocusId(w), "b1");
  EXPECT_EQ(Clicks(), "b1;");
  EXPECT_EQ(ScreenPixel(o.x + 10, o.y + 25), RGB(128, 128, 128));

  std::string order;
  for (int i = 0; i < 6; ++i) {
    PressKey(VK_TAB);
    order += FocusId(w) + " ";
  }
  EXPECT_EQ(order, "e c stop b2 b1 e ");
  // The cue shows after a key: a light outer ring and a dark inner one around the focus.
  EXPECT_TRUE(CueAt(o, 10, 100));
  EXPECT_EQ(ScreenPixel(o.x + 10, o.y + 25), RGB(128, 128, 128));  // and left the button
  PressKey(VK_TAB, {VK_SHIFT});
  PressKey(VK_TAB, {VK_SHIFT});
  EXPECT_EQ(FocusId(w), "b2");
  PressKey(VK_SPACE);
  PressKey(VK_RETURN);
  EXPECT_EQ(Clicks(), "b1;b2;b2;");

  auto* box = dynamic_cast<CUICheckBox*>(w->GetRootControl()->FindControl("c"));
  w->MoveFocus(box);
  PressKey(VK_SPACE);
  EXPECT_TRUE(box->IsCheck());
  PressKey(VK_RETURN);
  EXPECT_FALSE(box->IsCheck());
  EXPECT_EQ(Clicks(), "b1;b2;b2;c;c;");
  DestroyWindow(w->GetHWND());
}

// Two windows, each shown before any key (no cue then); the program brings one and the other
// to the front as a key switching windows would. (A click in Wine's windows on the virtual
// display does not activate them, so click activation is seen at its showing only.)
TEST_F(KeyboardWindow, ActivationOtherThanByAClickShowsTheStopLeftOrTheFirst) {
  const char* kView = R"(<view id="%s" center="0" left="%d" top="100" width="200" height="50">
      <container width="200" height="50" bkcolor="#808080">
        <button id="a" left="10" top="10" width="80" height="30"/>
        <button id="b" left="100" top="10" width="80" height="30"/></container></view>)";
  char text[600];
  snprintf(text, sizeof text, kView, "one", 100);
  CHostWnd* one = Make(text);
  snprintf(text, sizeof text, kView, "two", 400);
  CHostWnd* two = SkinWindowTest::Make("w2.xml", text, true);
  ASSERT_TRUE(one && one->GetHWND() && two && two->GetHWND());
  POINT o = {0, 0};
  ClientToScreen(one->GetHWND(), &o);
  EXPECT_FALSE(one->AreKeyboardCuesShown() || two->AreKeyboardCuesShown());
  SetForegroundWindow(one->GetHWND());
  Settle(6);
  EXPECT_EQ(FocusId(one), "a");  // the first stop, with its cue
  EXPECT_TRUE(CueAt(o, 10, 25));
  PressKey(VK_TAB);
  SetForegroundWindow(two->GetHWND());
  Settle(6);
  EXPECT_EQ(FocusId(two), "a");
  SetForegroundWindow(one->GetHWND());
  Settle(6);
  EXPECT_EQ(FocusId(one), "b");  // the stop it was left on
  EXPECT_TRUE(CueAt(o, 100, 25));
  EXPECT_FALSE(CueAt(o, 10, 25));
  DestroyWindow(two->GetHWND());
  DestroyWindow(one->GetHWND());
}

TEST_F(KeyboardWindow, ArrowsMoveInRadioGroupsTabControlsAndLists) {
  std::string rows;
  for (int i = 0; i < 10; ++i) rows += "<static text=\"row " + std::to_string(i) + "\"/>";
  CHostWnd* w = Make(R"(<view id="k" center="0" left="100" top="100" width="300" height="300">
      <container width="300" height="300">
        <radiobutton id="r1" left="10" top="10" width="40" height="20" groupid="kg" onclick="clicked"/>
        <radiobutton id="r2" left="60" top="10" width="40" height="20" groupid="kg" onclick="clicked"/>
        <radiobutton id="r3" left="110" top="10" width="40" height="20" groupid="kg" onclick="clicked"/>
        <tabctrl id="t" left="10" top="40" width="100" height="50">
          <container width="100" height="50"/><container width="100" height="50"/></tabctrl>
        <list id="l" left="10" top="100" width="150" height="60" itemheight="20">)" + rows + R"(</list>
      </container></view>)");
  ASSERT_TRUE(w && w->GetHWND());
  CUIControl* root = w->GetRootControl();
  auto* r1 = dynamic_cast<CUICheckBox*>(root->FindControl("r1"));
  auto* r3 = dynamic_cast<CUICheckBox*>(root->FindControl("r3"));
  w->MoveFocus(r1);
  PressKey(VK_LEFT);  // wraps to the last of the group, checking it as a click would
  EXPECT_EQ(FocusId(w), "r3");
  EXPECT_TRUE(r3->IsCheck());
  PressKey(VK_RIGHT);
  EXPECT_TRUE(r1->IsCheck() && !r3->IsCheck());
  EXPECT_EQ(Clicks(), "r3;r1;");

  auto* tab = dynamic_cast<CUITabCtrl*>(root->FindControl("t"));
  w->MoveFocus(tab);
  PressKey(VK_RIGHT);
  EXPECT_EQ(tab->GetCurSelectIndex(), 1u);
  PressKey(VK_RIGHT);
  EXPECT_EQ(tab->GetCurSelectIndex(), 0u);

  auto* list = dynamic_cast<CUIList*>(root->FindControl("l"));
  PressKey(VK_TAB);
  EXPECT_EQ(FocusId(w), "l");
  PressKey(VK_END);
  EXPECT_EQ(list->GetSelectedRow(), 9);
  RECT row = list->GetSubControl(9)->GetRect(), box = list->GetRect();
  // Scrolled into view; at the bar's end its single-precision ratio may hide the last pixel.
  EXPECT_TRUE(row.top >= box.top && row.bottom <= box.bottom + 1) << row.top << " " << row.bottom;
  PressKey(VK_PRIOR);
  EXPECT_EQ(list->GetSelectedRow(), 6);
  PressKey(VK_HOME);
  EXPECT_EQ(list->GetSelectedRow(), 0);
  EXPECT_EQ(list->GetSubControl(0)->GetRect().top, box.top);
  DestroyWindow(w->GetHWND());
}

TEST_F(KeyboardWindow, AComboBoxDropsByKeysAndItsListTakesArrowsEnterAndEsc) {
  CHostWnd* w = Make(R"(<view id="k" center="0" left="100" top="100" width="200" height="150">
      <container width="200" height="150"><combobox id="c" left="10" top="10" width="120" height="24"
        itemheight="20"><static text="Low"/><static text="Mid"/><static text="High"/></combobox>
      </container></view>)");
  ASSERT_TRUE(w && w->GetHWND());
  auto* combo = Find<CUIComboBox>(w, "c");
  w->MoveFocus(combo);
  After(150, [] { SendKey(VK_DOWN); });
  After(300, [] { SendKey(VK_RETURN); });
  PressKey(VK_F4);  // its list opens on the first row; Down, Enter
  EXPECT_EQ(combo->GetCurSel(), 1);
  EXPECT_STREQ(combo->GetText(), "Mid");
  After(150, [] { SendKey(VK_ESCAPE); });
  PressKey(VK_DOWN, {VK_MENU});
  EXPECT_EQ(combo->GetCurSel(), 1);  // Esc chose nothing
  PressKey(VK_DOWN);                 // Down without the list takes the next row
  EXPECT_STREQ(combo->GetText(), "High");
  DestroyWindow(w->GetHWND());
}

// A menu at 100,100 with rows of 30 pixels: "One" (ends it with 1), a disabled row, "More"
// whose submenu holds "Nine" (ends both with 9).
TEST_F(KeyboardWindow, MenusAreDrivenByKeysAlone) {
  m_skin.Write(L"m.xml", R"(<ui><menu id="m" center="0" width="100" height="90" itemheight="30">
      <menuitem text="One" onclick="pick1"/><menuitem text="Off" enable="0" onclick="pick1"/>
      <menuitem text="More" submenu="sub.xml"/></menu></ui>)");
  m_skin.Write(L"sub.xml", R"(<ui><menu id="sub" center="0" width="100" height="30" itemheight="30">
      <menuitem text="Nine" onclick="pick9"/></menu></ui>)");
  CHostWnd* owner = Make(R"(<view id="o" center="0" left="400" top="100" width="50" height="50"/>)");
  ASSERT_TRUE(owner && owner->GetHWND());
  auto run = [](std::initializer_list<WORD> keys, std::string* seen = nullptr) {
    CMenuWnd* menu = CUIBuilder::Instance().CreateMenuFromXml("m.xml");
    NoteKeyboardInput(true);  // as when a key opened it
    int delay = 100;
    for (WORD key : keys) {
      After(delay, [key, menu, seen] {
        if (seen) {
          auto* list = dynamic_cast<CUIList*>(menu->GetRootControl());
          CMenuWnd* sub = menu->GetOpenSubmenu();
          *seen += std::to_string(list ? list->GetHoverRow() : -9) + (sub ? "s " : " ");
        }
        SendKey(key);
      });
      delay += 250;
    }
    return menu->TrackPopupMenu(100, 100);
  };
  // Down skips the disabled row; Right opens the submenu; Esc closes only it; Esc ends with -2.
  std::string seen;
  EXPECT_EQ(run({VK_DOWN, VK_RIGHT, VK_ESCAPE, VK_ESCAPE}, &seen), -2);
  EXPECT_EQ(seen, "0 2 2s 2 ");
  EXPECT_EQ(run({VK_UP, VK_RETURN, VK_RETURN}), 9);  // Up wraps to "More"; Enter opens, Enter picks
  EXPECT_EQ(run({VK_RETURN}), 1);
  EXPECT_EQ(run({VK_DOWN, VK_RIGHT, VK_LEFT, VK_UP, VK_RETURN}), 1);
  DestroyWindow(owner->GetHWND());
}

}  // namespace
