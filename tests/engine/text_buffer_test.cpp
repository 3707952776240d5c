// The edit's text buffer without a window: growth, the length limit and soft failure without
// Uniscribe. Caret stops and pasting are tested through the edit's window.
#include <gtest/gtest.h>

#include <string>

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

}  // namespace
