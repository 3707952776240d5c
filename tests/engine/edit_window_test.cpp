// The edit in a real window on the virtual display, driven by keyboard and mouse input as the
// user makes it: typing, deleting, selecting, scrolling, the clipboard and the length limit.
#include <gtest/gtest.h>

#include <rapidxml/rapidxml.hpp>

#include <string>
#include <vector>

#include "ClipboardText.h"
#include "DoBuffer.h"
#include "Engine.h"
#include "HostWnd.h"
#include "StaticCanvas.h"
#include "TempDir.h"
#include "UIBuilder.h"
#include "UIEdit.h"
#include "WindowPump.h"
#include "lua.hpp"

using namespace ZOV;

namespace {

INPUT KeyInput(WORD vk, WORD scan, DWORD flags) {
  INPUT in = {};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = scan;
  in.ki.dwFlags = flags;
  return in;
}

void Send(std::vector<INPUT> inputs) {
  SendInput((UINT)inputs.size(), inputs.data(), sizeof(INPUT));
  Settle(4);
}

// A key pressed and released, with modifiers held around it.
void Press(WORD vk, std::initializer_list<WORD> modifiers = {}) {
  std::vector<INPUT> in;
  for (WORD m : modifiers) in.push_back(KeyInput(m, 0, 0));
  in.push_back(KeyInput(vk, 0, 0));
  in.push_back(KeyInput(vk, 0, KEYEVENTF_KEYUP));
  for (WORD m : modifiers) in.push_back(KeyInput(m, 0, KEYEVENTF_KEYUP));
  Send(in);
}

// Typed text: each UTF-16 unit as a key of its own (a surrogate pair as two).
void Type(const std::wstring& text) {
  std::vector<INPUT> in;
  for (wchar_t c : text) {
    in.push_back(KeyInput(0, c, KEYEVENTF_UNICODE));
    in.push_back(KeyInput(0, c, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
  }
  Send(in);
}

void Mouse(DWORD flags, HWND w, int x, int y) {
  POINT p = {x, y};
  ClientToScreen(w, &p);
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  in.mi.dx = (p.x * 65536 + 65535) / GetSystemMetrics(SM_CXSCREEN);
  in.mi.dy = (p.y * 65536 + 65535) / GetSystemMetrics(SM_CYSCREEN);
  SendInput(1, &in, sizeof(in));
  Settle(4);
}

// Width of text in the window's default font, as the edit draws it.
int TextWidth(HWND w, const std::wstring& text) {
  HDC dc = GetDC(w);
  SIZE size = {};
  GetTextExtentPoint32W(dc, text.c_str(), (int)text.size(), &size);
  ReleaseDC(w, dc);
  return size.cx;
}

class EditWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    CEngine::Instance().Init();
    ASSERT_EQ(CEngine::Instance().SkinLoader().SetPackagePath(m_skin.path()), 1);
    const char* script = "changes = 0\nfunction changed(e) changes = changes + 1 end";
    lua_tinker::dobuffer(CEngine::Instance().LuaState(), script, strlen(script));
    m_skin.Write(L"edit.xml", R"(<ui><view id="edit" center="0" left="200" top="150" width="300" height="60">
        <container width="300" height="60" bkcolor="#FFFFFF">
          <edit id="e" left="10" top="10" width="200" height="24" onchange="changed"/>
        </container></view></ui>)");
    m_wnd = CUIBuilder::Instance().CreateWindowFromXml("edit.xml");
    ASSERT_TRUE(m_wnd && m_wnd->GetHWND());
    m_hwnd = m_wnd->GetHWND();
    m_edit = dynamic_cast<CUIEdit*>(m_wnd->GetRootControl()->FindControl("e"));
    ASSERT_TRUE(m_edit);
    m_edit->SetFocus(true);
    SetForegroundWindow(m_hwnd);
    SetFocus(m_hwnd);
    Settle();
  }
  void TearDown() override {
    if (m_hwnd && IsWindow(m_hwnd)) DestroyWindow(m_hwnd);
    Settle(2);
    CEngine::Instance().SkinLoader().CloseSkin();
  }
  std::wstring Text() const { return m_edit->Buffer().GetText(); }
  int Changes() {
    lua_State* L = CEngine::Instance().LuaState();
    lua_getglobal(L, "changes");
    int n = (int)lua_tointeger(L, -1);
    lua_pop(L, 1);
    return n;
  }
  void ExpectSelection(int selStart, int caret) {
    EXPECT_EQ(m_edit->GetSelectionStart(), selStart);
    EXPECT_EQ(m_edit->GetCaret(), caret);
  }

  TempDir m_skin;
  CHostWnd* m_wnd = nullptr;
  HWND m_hwnd = nullptr;
  CUIEdit* m_edit = nullptr;
};

TEST_F(EditWindow, TypingDeletingAndSelectingByKeyboard) {
  Type(L"hello");
  EXPECT_EQ(Text(), L"hello");
  ExpectSelection(5, 5);
  EXPECT_EQ(Changes(), 5);
  Press(VK_BACK);
  EXPECT_EQ(Text(), L"hell");
  Press(VK_HOME);
  Press(VK_DELETE);
  EXPECT_EQ(Text(), L"ell");
  ExpectSelection(0, 0);

  // Shift+Right extends; with a selection Backspace does nothing and typing inserts at the
  // caret, leaving the selected text; Right alone collapses to the new caret.
  Press(VK_RIGHT, {VK_SHIFT});
  Press(VK_RIGHT, {VK_SHIFT});
  ExpectSelection(0, 2);
  Press(VK_BACK);
  Type(L"X");
  EXPECT_EQ(Text(), L"elXl");
  Press(VK_LEFT, {VK_SHIFT});
  Press(VK_LEFT, {VK_SHIFT});
  ExpectSelection(3, 1);
  Press(VK_RIGHT);
  ExpectSelection(2, 2);

  // Ctrl+A selects all, but not with a selection there already; Delete removes the selection.
  Press(VK_LEFT, {VK_SHIFT});
  Press('A', {VK_CONTROL});
  ExpectSelection(2, 1);
  Press(VK_END);
  Press('A', {VK_CONTROL});
  ExpectSelection(0, 4);
  int before = Changes();
  Press(VK_DELETE);
  EXPECT_EQ(Text(), L"");
  EXPECT_EQ(Changes(), before + 1);
  // Keys that do nothing on an empty text change nothing.
  Press(VK_BACK);
  Press(VK_DELETE);
  EXPECT_EQ(Changes(), before + 1);

  // Ctrl+Left and Ctrl+Right go by words.
  Type(L"one two");
  Press(VK_LEFT, {VK_CONTROL});
  ExpectSelection(4, 4);
  Press(VK_LEFT, {VK_CONTROL});
  ExpectSelection(0, 0);
  Press(VK_RIGHT, {VK_CONTROL, VK_SHIFT});
  ExpectSelection(0, 4);
}

TEST_F(EditWindow, CharactersAreNeverSplit) {
  // A surrogate pair (U+1F600) and a letter with a combining acute accent.
  Type(L"a\xD83D\xDE00" L"be\x0301");
  EXPECT_EQ(Text(), L"a\xD83D\xDE00" L"be\x0301");
  ExpectSelection(6, 6);
  Press(VK_LEFT);
  ExpectSelection(4, 4);  // before the accented e
  Press(VK_LEFT);
  Press(VK_LEFT);
  ExpectSelection(1, 1);  // over the pair in one step
  Press(VK_RIGHT, {VK_SHIFT});
  ExpectSelection(1, 3);
  Press(VK_LEFT);
  Press(VK_DELETE);  // the pair goes whole, forwards
  EXPECT_EQ(Text(), L"abe\x0301");
  Type(L"\xD83D\xDE00");
  ExpectSelection(3, 3);
  Press(VK_BACK);  // and backwards
  EXPECT_EQ(Text(), L"abe\x0301");
  Press(VK_END);
  Press(VK_BACK);  // and the accented letter with its accent
  EXPECT_EQ(Text(), L"ab");
  // A lone second half typed on its own is dropped.
  Type(L"\xDE00");
  EXPECT_EQ(Text(), L"ab");
}

TEST_F(EditWindow, LongTextScrollsToKeepTheCaretInView) {
  std::wstring line;
  for (int i = 0; i < 8; ++i) line += L"0123456789";
  Type(line);
  ASSERT_EQ(Text(), line);
  int first = m_edit->GetFirstVisible();
  EXPECT_GT(first, 0);
  // The caret's end of the text fits; one more character on the left would not.
  EXPECT_LE(TextWidth(m_hwnd, line.substr(first)), 200);
  EXPECT_GT(TextWidth(m_hwnd, line.substr(first - 1)), 200);
  Press(VK_HOME);
  EXPECT_EQ(m_edit->GetFirstVisible(), 0);
  Press(VK_END);
  EXPECT_EQ(m_edit->GetFirstVisible(), first);

  // A click lands between the characters under the pointer; a drag to the left selects and
  // scrolls back.
  Press(VK_HOME);
  Mouse(MOUSEEVENTF_LEFTDOWN, m_hwnd, 10 + TextWidth(m_hwnd, L"012") + 1, 20);
  ExpectSelection(3, 3);
  Mouse(0, m_hwnd, 10 + TextWidth(m_hwnd, L"01234567") + 1, 20);
  Mouse(MOUSEEVENTF_LEFTUP, m_hwnd, 10 + TextWidth(m_hwnd, L"01234567") + 1, 20);
  ExpectSelection(3, 8);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(EditWindow, ClipboardRoundTripWithCjkAndSingleLinePaste) {
  m_edit->SetText("\xE4\xB8\xAD\xE6\x96\x87 text");  // "中文 text"
  Press('A', {VK_CONTROL});
  Press('C', {VK_CONTROL});
  std::wstring copied;
  ASSERT_TRUE(GetClipboardText(nullptr, &copied));
  EXPECT_EQ(copied, L"\x4E2D\x6587 text");
  Press('X', {VK_CONTROL});
  EXPECT_EQ(Text(), L"");
  Press('V', {VK_CONTROL});
  Press('V', {VK_CONTROL});
  EXPECT_EQ(Text(), L"\x4E2D\x6587 text\x4E2D\x6587 text");
  EXPECT_EQ(m_edit->GetText(), "\xE4\xB8\xAD\xE6\x96\x87 text\xE4\xB8\xAD\xE6\x96\x87 text");

  // Only the first line of a pasted text goes in; a paste replaces the selection.
  ASSERT_TRUE(PutClipboardText(nullptr, L"one\r\ntwo", 8));
  Press('A', {VK_CONTROL});
  Press('V', {VK_CONTROL});
  EXPECT_EQ(Text(), L"one");
  ExpectSelection(3, 3);
}

TEST_F(EditWindow, TheLengthLimitKeepsWhatFits) {
  std::string full(0xFFFC, 'a');
  m_edit->SetText(full.c_str());
  ASSERT_EQ(m_edit->Buffer().GetLength(), 0xFFFC);
  // Three units pasted where two fit: two go in. A pair that would be cut in half stays out.
  ASSERT_TRUE(PutClipboardText(nullptr, L"xyz", 3));
  Press('V', {VK_CONTROL});
  EXPECT_EQ(m_edit->Buffer().GetLength(), 0xFFFE);
  EXPECT_EQ(Text().substr(0xFFFC), L"xy");
  Type(L"b");
  EXPECT_EQ(m_edit->Buffer().GetLength(), 0xFFFE);
  Press(VK_BACK);
  Press(VK_BACK);
  Press(VK_BACK);
  ASSERT_TRUE(PutClipboardText(nullptr, L"\xD83D\xDE00\xD83D\xDE00", 4));
  Press('V', {VK_CONTROL});
  EXPECT_EQ(Text().substr(0xFFFB), L"\xD83D\xDE00");
}

// Painting without a system window: a layered host gets a drawn caret that blinks from one
// paint to the next.
TEST(EditPaint, LayeredHostsGetABlinkingDrawnCaret) {
  char view[] = R"(<view layered="1"/>)";
  rapidxml::xml_document<char> doc;
  doc.parse<0>(view);
  CHostWnd host;
  host.ParseXml(doc.first_node());
  auto edit = std::make_shared<CUIEdit>();
  host.SetRootControl(edit);  // the root starts as the focus control
  edit->SetRect({10, 10, 110, 34});
  edit->SetText("abc");
  edit->SetBorderSize(0);
  StaticCanvas canvas(120, 40, 0xFFFFFF);
  SIZE abc = {};
  GetTextExtentPoint32W(canvas.dc(), L"abc", 3, &abc);
  int caretX = 10 + abc.cx;

  edit->Paint(canvas.dc());
  EXPECT_EQ(canvas.At(caretX, 22), 0x010101u);
  canvas.Fill(0xFFFFFF);
  edit->Paint(canvas.dc());
  EXPECT_EQ(canvas.At(caretX, 22), 0xFFFFFFu);
}

}  // namespace
