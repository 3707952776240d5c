// The edit's text buffer and text rules without a window: growth, the length limit, soft
// failure without Uniscribe, caret stops and the fitting of pasted text.
#include <gtest/gtest.h>

#include <string>

#include "EditTextRules.h"
#include "TextBuffer.h"

using namespace ZOV;

namespace {

TEST(TextBuffer, GrowsByTheRulesUpToTheLimit) {
  CTextBuffer b;
  EXPECT_EQ(b.GetCapacity(), 256);
  std::wstring chunk(255, L'a');
  ASSERT_TRUE(b.InsertString(0, chunk.c_str(), -1));
  EXPECT_EQ(b.GetCapacity(), 256);  // 255 units and the terminator fit
  ASSERT_TRUE(b.InsertChar(0, L'b'));
  EXPECT_EQ(b.GetCapacity(), 512);  // doubled
  std::wstring big(2000, L'c');
  ASSERT_TRUE(b.InsertString(1, big.c_str(), -1));
  EXPECT_EQ(b.GetCapacity(), 2 * 2257);  // twice what was asked for, more than double
  EXPECT_EQ(std::wstring(b.GetText()).substr(0, 3), L"bcc");
  EXPECT_EQ(b.GetText()[b.GetLength()], L'\0');

  std::wstring rest(CTextBuffer::kMaxLength - b.GetLength(), L'd');
  EXPECT_FALSE(b.InsertString(0, (rest + L"e").c_str(), -1));  // one unit too many: nothing
  ASSERT_TRUE(b.InsertString(b.GetLength(), rest.c_str(), -1));
  EXPECT_EQ(b.GetLength(), 0xFFFE);
  EXPECT_EQ(b.GetCapacity(), 0xFFFF);
  EXPECT_FALSE(b.InsertChar(0, L'f'));
  EXPECT_FALSE(b.SetBufferSize(-1));
  EXPECT_FALSE(b.InsertChar(-1, L'f'));
  EXPECT_FALSE(b.RemoveRange(0xFFFD, 2));
  ASSERT_TRUE(b.RemoveChar(0));
  EXPECT_FALSE(b.InsertChar(0xFFFE, L'f'));  // past the end
  EXPECT_TRUE(b.InsertChar(0xFFFD, L'f'));
}

TEST(TextBuffer, WithoutUniscribeMeasurementFailsSoftly) {
  CTextBuffer b(UniscribeMissing());
  b.InsertString(0, L"two words", -1);
  HDC dc = CreateCompatibleDC(nullptr);
  int x = 7, cp = 7;
  bool trailing = true;
  EXPECT_FALSE(b.CPtoX(dc, 3, false, &x));
  EXPECT_EQ(x, 0);
  EXPECT_FALSE(b.XtoCP(dc, 40, &cp, &trailing));
  EXPECT_EQ(cp, 0);
  EXPECT_EQ(b.GetPriorItemPos(dc, 5), 5);
  EXPECT_EQ(b.GetNextItemPos(dc, 2), 2);
  DeleteDC(dc);
}

TEST(TextBuffer, WordPositionsAndPointsWithUniscribe) {
  CTextBuffer b;
  b.InsertString(0, L"one two three", -1);
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(b.GetNextItemPos(dc, 0), 4);
  EXPECT_EQ(b.GetNextItemPos(dc, 8), 13);
  EXPECT_EQ(b.GetPriorItemPos(dc, 13), 8);
  EXPECT_EQ(b.GetPriorItemPos(dc, 3), 0);
  // Left of the text is position 0; right of it the end.
  int cp = -1;
  bool trailing = false;
  ASSERT_TRUE(b.XtoCP(dc, -50, &cp, &trailing));
  EXPECT_EQ(cp, 0);
  EXPECT_FALSE(trailing);
  ASSERT_TRUE(b.XtoCP(dc, 5000, &cp, &trailing));
  EXPECT_EQ(cp, 13);
  int x4 = 0, x8 = 0;
  ASSERT_TRUE(b.CPtoX(dc, 4, false, &x4));
  ASSERT_TRUE(b.CPtoX(dc, 8, false, &x8));
  EXPECT_LT(x4, x8);
  DeleteDC(dc);
}

TEST(EditTextRules, CaretStopsAndFittingKeepCharactersWhole) {
  std::wstring t = L"a\xD83D\xDE00" L"e\x0301z";  // a, U+1F600, e + combining acute, z
  const wchar_t* p = t.c_str();
  int n = (int)t.size();
  EXPECT_FALSE(IsCaretStop(p, n, 2));  // inside the pair
  EXPECT_FALSE(IsCaretStop(p, n, 4));  // before the accent
  EXPECT_EQ(NextCaretStop(p, n, 1), 3);
  EXPECT_EQ(NextCaretStop(p, n, 3), 5);
  EXPECT_EQ(PrevCaretStop(p, n, 5), 3);
  EXPECT_EQ(PrevCaretStop(p, n, 3), 1);
  EXPECT_EQ(SnapCaretStop(p, n, 2), 1);
  EXPECT_EQ(SnapCaretStop(p, n, 99), n);
  EXPECT_EQ(FittingPrefix(t, 2), 1);
  EXPECT_EQ(FittingPrefix(t, 4), 3);
  EXPECT_EQ(FittingPrefix(t, 50), n);

  std::wstring pasted = L"first\r\nsecond";
  CutAtFirstLineBreak(pasted);
  EXPECT_EQ(pasted, L"first");
  pasted = L"\nall gone";
  CutAtFirstLineBreak(pasted);
  EXPECT_EQ(pasted, L"");
}

}  // namespace
