// Paths beside the program, file sizes of real files and their display text.
#include <gtest/gtest.h>

#include "ShareTestUtil.h"

using namespace ShareLib;
using sharetest::TempFolder;

TEST(FileSizeToString, SmallAndScaledSizes) {
  EXPECT_NE(FileSizeToString(0).find(L"0"), std::wstring::npos);
  EXPECT_NE(FileSizeToString(1023).find(L"1023"), std::wstring::npos);
  std::wstring kb = FileSizeToString(1536);
  EXPECT_NE(kb.find(L"1.5"), std::wstring::npos) << kb.c_str();
  EXPECT_NE(kb.find(L"KB"), std::wstring::npos) << kb.c_str();
  std::wstring mb = FileSizeToString(1536 * 1024);
  EXPECT_NE(mb.find(L"1.5"), std::wstring::npos) << mb.c_str();
  EXPECT_NE(mb.find(L"MB"), std::wstring::npos) << mb.c_str();
}

TEST(FileSizeToString, LargeSizeBeyond32Bits) {
  std::wstring gb = FileSizeToString(int64_t(5) << 30);
  EXPECT_NE(gb.find(L"5"), std::wstring::npos) << gb.c_str();
  EXPECT_NE(gb.find(L"GB"), std::wstring::npos) << gb.c_str();
}

TEST(GetFileSizeIndirect, RealFiles) {
  TempFolder folder;
  EXPECT_EQ(GetFileSizeIndirect(folder.WriteFile(L"empty.bin", "").c_str()), 0);
  EXPECT_EQ(GetFileSizeIndirect(folder.WriteFile(L"five.bin", "12345").c_str()), 5);
  EXPECT_EQ(GetFileSizeIndirect(folder.WriteFile(L"big.bin", std::string(70000, 'x')).c_str()), 70000);
  // A name outside the ANSI code page: the path is handled as UTF-16 throughout.
  EXPECT_EQ(GetFileSizeIndirect(folder.WriteFile(L"\x97F3\x4E50.mp3", "abc").c_str()), 3);
}

TEST(GetFileSizeIndirect, UnreadablePathsGiveMinusOne) {
  TempFolder folder;
  EXPECT_EQ(GetFileSizeIndirect((folder.Path() + L"missing.bin").c_str()), -1);
  EXPECT_EQ(GetFileSizeIndirect(folder.Path().c_str()), -1);  // a folder has no file size
  EXPECT_EQ(GetFileSizeIndirect(L""), -1);
  EXPECT_EQ(GetFileSizeIndirect(nullptr), -1);
}

TEST(GetCurXFilePath, NamesAFileInTheProgramFolder) {
  std::wstring path = GetCurXFilePath(L"skin.zip");
  EXPECT_EQ(path, sharetest::ThisProgramFolder() + L"skin.zip");
  EXPECT_EQ(path.substr(path.size() - 9), L"\\skin.zip");
}

TEST(GetCurXFilePath, NoNameGivesTheFolder) {
  EXPECT_EQ(GetCurXFilePath(nullptr), sharetest::ThisProgramFolder());
  EXPECT_EQ(GetCurXFilePath(L""), sharetest::ThisProgramFolder());
}
