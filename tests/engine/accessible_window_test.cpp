// The engine's windows as assistive technology sees them: an oleacc client in a process of its
// own (acc_client) walks the tree, acts and listens for WinEvents; a hostile skin (huge names,
// deep nesting) stays whole, and objects held here and there outlive their controls and windows.
#include <gtest/gtest.h>

#include <oleacc.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "MenuWnd.h"
#include "ProcessCounts.h"
#include "SkinWindowTest.h"
#include "UICheckBox.h"
#include "UIControlContainer.h"
#include "UIProgressBar.h"
#include "UIStatic.h"

using namespace ZOV;

namespace {

// Runs acc_client (beside this program) with args while this thread keeps pumping the
// windows' messages; onLine sees each line of its output as it comes. Its output, or
// "timeout" when it ran longer than 150 s (a deep walk on a loaded machine is slow).
std::vector<std::string> RunClient(const std::string& args,
                                   std::function<void(const std::string&)> onLine = nullptr) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring exe = self;
  exe = exe.substr(0, exe.find_last_of(L"\\/") + 1) + L"acc_client.exe";
  std::wstring line = L"\"" + exe + L"\" " + std::wstring(args.begin(), args.end());
  SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  CreatePipe(&readEnd, &writeEnd, &sa, 0);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si = {sizeof(si)};
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = si.hStdError = writeEnd;
  PROCESS_INFORMATION pi = {};
  std::vector<std::string> lines;
  BOOL started = CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
  CloseHandle(writeEnd);
  if (!started) {
    CloseHandle(readEnd);
    return {"not started"};
  }
  std::string pending;
  DWORD start = GetTickCount();
  for (;;) {
    Pump();
    DWORD avail = 0;
    if (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &avail, nullptr) && avail) {
      std::string chunk(avail, '\0');
      DWORD got = 0;
      ReadFile(readEnd, &chunk[0], avail, &got, nullptr);
      pending.append(chunk, 0, got);
      size_t nl;
      while ((nl = pending.find('\n')) != std::string::npos) {
        std::string one = pending.substr(0, nl);
        if (!one.empty() && one.back() == '\r') one.pop_back();
        pending.erase(0, nl + 1);
        lines.push_back(one);
        if (onLine) onLine(one);
      }
      continue;
    }
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0 && avail == 0) {
      DWORD more = 0;
      if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &more, nullptr) || more == 0) break;
      continue;
    }
    if (GetTickCount() - start > 150000) {
      TerminateProcess(pi.hProcess, 1);
      lines.push_back("timeout");
      break;
    }
    MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 10, QS_ALLINPUT);
  }
  DWORD code = 0;
  GetExitCodeProcess(pi.hProcess, &code);
  if (code != 0) lines.push_back("exit " + std::to_string(code));
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  CloseHandle(readEnd);
  return lines;
}

std::string Hwnd(CHostWnd* w) { return std::to_string((unsigned long long)(UINT_PTR)w->GetHWND()); }

// The walk's line for the element with this name, without its depth; empty when none.
std::string Element(const std::vector<std::string>& walk, const std::string& name) {
  for (const std::string& l : walk) {
    size_t bar = l.find('|');
    if (l.compare(bar + 1, name.size() + 1, name + "|") == 0) return l.substr(bar + 1);
  }
  return "";
}

std::string Location(CHostWnd* w, CUIControl* c) {
  RECT r = c->GetRect();
  POINT p = {r.left, r.top};
  ClientToScreen(w->GetHWND(), &p);
  std::ostringstream s;
  s << p.x << "," << p.y << "," << r.right - r.left << "," << r.bottom - r.top;
  return s.str();
}

std::string Hex(long v) {
  std::ostringstream s;
  s << "0x" << std::hex << v;
  return s.str();
}

class AccessibleWindow : public SkinWindowTest {
 protected:
  CHostWnd* Make(const std::string& view) { return SkinWindowTest::Make("v.xml", view, true); }
};

const char kPanel[] = R"(<view id="panel" center="0" left="100" top="100" width="320" height="240"
      windowtext="Panel"><container width="320" height="240" bkcolor="#303030">
    <static id="status" left="10" top="10" width="200" height="20" text="Ready"/>
    <button id="ok" left="10" top="40" width="80" height="30" text="OK" onclick="clicked"/>
    <button id="send" left="100" top="40" width="40" height="30" tooltip="Send" onclick="clicked"/>
    <button id="play" left="150" top="40" width="40" height="30" accname="Play on the phone" tooltip="x"/>
    <button id="off" left="200" top="40" width="40" height="30" text="Off" enable="0"/>
    <checkbox id="box" left="10" top="80" width="80" height="20" text="Loud"/>
    <progressbar id="bar" left="100" top="80" width="100" height="20" accname="Sent" min="0" max="200"/>
    <list id="rows" left="10" top="110" width="200" height="40" itemheight="20">
      <container><static left="0" width="100" height="20" text="a.mp3"/>
        <static left="100" width="100" height="20" text="Done"/></container>
      <container><static left="0" width="100" height="20" text="b.mp3"/></container></list>
    <tabctrl id="tabs" left="10" top="160" width="200" height="40">
      <container accname="First page"/><container accname="Second page"/></tabctrl>
  </container></view>)";

TEST_F(AccessibleWindow, AClientInAnotherProcessReadsTheTreeActsAndHitTests) {
  CHostWnd* w = Make(kPanel);
  ASSERT_TRUE(w && w->GetHWND());
  CUIControl* root = w->GetRootControl();
  dynamic_cast<CUIProgressBar*>(root->FindControl("bar"))->SetValue(80);
  dynamic_cast<CUICheckBox*>(root->FindControl("box"))->SetCheck(true);
  std::vector<std::string> walk = RunClient("walk " + Hwnd(w));
  std::string all;
  for (const std::string& l : walk) all += l + "\n";
  SCOPED_TRACE(all);
  ASSERT_GT(walk.size(), 10u);
  EXPECT_EQ(walk[0].substr(0, 11), "0|Panel|10|");  // the client area, named by the window
  EXPECT_EQ(Element(walk, "Ready"), "Ready|41|0x40|" + Location(w, root->FindControl("status")) + "|-|-");
  EXPECT_EQ(Element(walk, "OK"), "OK|43|0x100000|" + Location(w, root->FindControl("ok")) + "|-|Press");
  EXPECT_EQ(Element(walk, "Send").find("Send|43|"), 0u);                // the tooltip names it
  EXPECT_EQ(Element(walk, "Play on the phone").find("Play on the phone|43|"), 0u);
  EXPECT_EQ(Element(walk, "Off").find("Off|43|0x100001|"), 0u);       // unavailable, focusable
  EXPECT_EQ(Element(walk, "Loud").find("Loud|44|0x100010|"), 0u);     // checked
  EXPECT_NE(Element(walk, "Loud").find("|Uncheck"), std::string::npos);
  EXPECT_EQ(Element(walk, "Sent").find("Sent|48|0x40|"), 0u);
  EXPECT_NE(Element(walk, "Sent").find("|40%|"), std::string::npos);
  EXPECT_EQ(Element(walk, "a.mp3, Done").find("a.mp3, Done|34|0x200000|"), 0u);  // a row reads its texts
  EXPECT_EQ(Element(walk, "First page").find("First page|37|0x200002|"), 0u);    // selected
  EXPECT_EQ(Element(walk, "Second page").find("Second page|37|0x208000|"), 0u);  // not shown

  std::vector<std::string> act = RunClient("act " + Hwnd(w) + " OK");
  ASSERT_EQ(act.size(), 1u);
  EXPECT_EQ(act[0], "act|0x0");
  Settle(4);
  EXPECT_EQ(Clicks(), "ok;");  // the same handler a click runs, after the call returned

  RECT r = root->FindControl("send")->GetRect();
  POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(w->GetHWND(), &centre);
  std::vector<std::string> hit = RunClient("hit " + Hwnd(w) + " " + std::to_string(centre.x) + " " +
                                           std::to_string(centre.y));
  ASSERT_EQ(hit.size(), 1u);
  EXPECT_EQ(hit[0], "hit|Send");
  DestroyWindow(w->GetHWND());
}

TEST_F(AccessibleWindow, AWinEventHookHearsFocusStateNameAndValueChanges) {
  CHostWnd* w = Make(kPanel);
  ASSERT_TRUE(w && w->GetHWND());
  CUIControl* root = w->GetRootControl();
  auto events = RunClient("events " + Hwnd(w) + " 2500", [&](const std::string& line) {
    if (line != "ready") return;
    PressKey(VK_TAB);  // to "OK"
    dynamic_cast<CUICheckBox*>(root->FindControl("box"))->SetCheck(true);
    dynamic_cast<CUIProgressBar*>(root->FindControl("bar"))->SetValue(100);
    dynamic_cast<CUIStatic*>(root->FindControl("status"))->SetText("Sending");
  });
  std::string all;
  for (const std::string& l : events) all += l + "\n";
  EXPECT_NE(all.find("event|" + Hex(EVENT_OBJECT_FOCUS) + "|OK\n"), std::string::npos) << all;
  EXPECT_NE(all.find("event|" + Hex(EVENT_OBJECT_STATECHANGE) + "|Loud\n"), std::string::npos) << all;
  EXPECT_NE(all.find("event|" + Hex(EVENT_OBJECT_VALUECHANGE) + "|Sent\n"), std::string::npos) << all;
  EXPECT_NE(all.find("event|" + Hex(EVENT_OBJECT_NAMECHANGE) + "|Sending\n"), std::string::npos) << all;
  DestroyWindow(w->GetHWND());
}

// One hostile skin: a control without a name and one with a huge name, a thousand nested
// containers. Objects held here outlive a control a script removes; a client in another
// process holds its objects while the window closes during a menu driven by keys.
TEST_F(AccessibleWindow, AHostileSkinAndObjectsHeldPastTheirControlsAndWindowStayWhole) {
  m_skin.Write(L"m.xml", R"(<ui><menu id="m" center="0" width="100" height="30" itemheight="30">
      <menuitem text="One"/></menu></ui>)");
  CHostWnd* warm = Make(R"(<view id="warm" center="0" width="10" height="10"/>)");  // caches fill
  CMenuWnd* menu = CUIBuilder::Instance().CreateMenuFromXml("m.xml");
  PostMessageW(menu->GetHWND(), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(menu->TrackPopupMenu(100, 100), -2);
  DestroyWindow(warm->GetHWND());
  Settle(4);
  DWORD gdiBefore = GdiObjectCount();
  std::string huge(100000, 'n');
  std::string nest;
  for (int i = 0; i < 1000; ++i) nest += "<container width=\"300\" height=\"200\">";
  nest += "<button id=\"deep\" left=\"50\" top=\"50\" width=\"40\" height=\"20\" accname=\"Deep\"/>";
  for (int i = 0; i < 1000; ++i) nest += "</container>";
  CHostWnd* w = Make(R"(<view id="hostile" center="0" left="100" top="100" width="300" height="200">
      <container width="300" height="200"><button id="empty" width="20" height="20" accname=""/>
      <button id="huge" left="20" width="20" height="20" accname=")" + huge + R"("/>)" + nest +
                     "</container></view>");
  ASSERT_TRUE(w && w->GetHWND());
  auto walk = RunClient("walk " + Hwnd(w));
  ASSERT_GE(walk.size(), 1004u);
  EXPECT_EQ(walk.back().find("1001|Deep|43|"), 0u) << walk.back();
  EXPECT_NE(Element(walk, "<100000 bytes>"), "");
  EXPECT_EQ(walk[1].find("1|-|43|"), 0u) << walk[1];  // no name: none given, not an empty one
  RECT r = w->GetRootControl()->FindControl("deep")->GetRect();
  POINT at = {r.left + 5, r.top + 5};
  ClientToScreen(w->GetHWND(), &at);
  auto hit = RunClient("hit " + Hwnd(w) + " " + std::to_string(at.x) + " " + std::to_string(at.y));
  EXPECT_EQ(hit, std::vector<std::string>{"hit|Deep"});
  // Shown after a key (the Esc of the menu above), it starts on its first stop; Tab reaches
  // the deepest.
  EXPECT_STREQ(w->GetFocusControl()->GetID(), "empty");
  PressKey(VK_TAB);
  PressKey(VK_TAB);
  EXPECT_STREQ(w->GetFocusControl()->GetID(), "deep");

  IAccessible* client = nullptr;
  ASSERT_EQ(AccessibleObjectFromWindow(w->GetHWND(), (DWORD)OBJID_CLIENT, IID_IAccessible, (void**)&client), S_OK);
  VARIANT two = {}, self = {};
  two.vt = self.vt = VT_I4;
  two.lVal = 2;  // the client object stands for the root container: its second child
  IDispatch* hugeDispatch = nullptr;
  ASSERT_EQ(client->get_accChild(two, &hugeDispatch), S_OK);
  IAccessible* held = nullptr;
  ASSERT_EQ(hugeDispatch->QueryInterface(IID_IAccessible, (void**)&held), S_OK);
  hugeDispatch->Release();
  BSTR name = nullptr;
  Run("g_UIMgr:GetWindow('hostile'):GetRootControl():RemoveControlByID('huge')");
  EXPECT_EQ(held->get_accName(self, &name), CO_E_OBJNOTCONNECTED);
  long count = 0;
  EXPECT_EQ(client->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 2);

  auto other = RunClient("hold " + Hwnd(w), [&](const std::string& line) {
    if (line != "ready") return;
    menu = CUIBuilder::Instance().CreateMenuFromXml("m.xml");  // the window closes, then Esc
    PostMessageW(w->GetHWND(), WM_CLOSE, 0, 0);
    PostMessageW(menu->GetHWND(), WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(menu->TrackPopupMenu(100, 100), -2);
  });
  ASSERT_EQ(other.size(), 2u);
  // Both calls failed, and nothing crashed.
  EXPECT_TRUE(other[1].rfind("held|0x", 0) == 0 && other[1].find("|0x0") == std::string::npos) << other[1];
  EXPECT_EQ(client->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(client->accDoDefaultAction(self), CO_E_OBJNOTCONNECTED);
  held->Release();
  client->Release();
  Settle(4);
  EXPECT_LE(GdiObjectCount(), gdiBefore + 2);
}

}  // namespace
