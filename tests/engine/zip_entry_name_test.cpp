// Pure rules of the zip layer: entry name cleaning, lookup keys, size plausibility.
#include <gtest/gtest.h>

#include "SkinNameKey.h"
#include "ZipEntryName.h"
#include "ZipEntrySize.h"

using ZOV::CleanZipEntryName;

TEST(ZipEntryName, CleaningTable) {
  struct Case {
    const wchar_t* stored;
    const wchar_t* cleaned;
  } cases[] = {
      {L"main.lua", L"main.lua"},
      {L"C:main.lua", L"main.lua"},
      {L"C:\\main.lua", L"main.lua"},         // drive, then the separator
      {L"/main.lua", L"main.lua"},
      {L"\\main.lua", L"main.lua"},
      {L"//\\main.lua", L"main.lua"},         // repeated until no rule applies
      {L"skin/../main.lua", L"main.lua"},
      {L"a\\..\\b/../main.lua", L"main.lua"},  // "\..\" first, then "/../"
      {L"a/..\\main.lua", L"main.lua"},
      {L"a\\../main.lua", L"main.lua"},
      {L"x:/y/../C:/main.lua", L"main.lua"},  // each step exposes the next rule
      {L"ui/view.xml", L"ui/view.xml"},
      {L"../main.lua", L"../main.lua"},       // no separator before "..": no rule
      {L"a/..", L"a/.."},
      {L"", L""},
      {L"C:", L""},
  };
  for (const Case& c : cases) EXPECT_EQ(c.cleaned, CleanZipEntryName(c.stored)) << c.stored;
}

TEST(ZipEntryName, FirstSequenceKindWinsOverPosition) {
  // "\../" is looked for before "/..\", although "/..\" starts earlier: cutting at "/..\"
  // would leave "../b".
  EXPECT_EQ(L"b", CleanZipEntryName(L"a/..\\../b"));
}

TEST(SkinNameKey, LowerCasesAndUsesForwardSlashes) {
  EXPECT_EQ(L"images/logo.png", ZOV::SkinNameKey(L"Images\\Logo.PNG"));
  EXPECT_EQ(L"images/logo.png", ZOV::SkinNameKey(L"images/logo.png"));
  EXPECT_EQ(L"\x00e9t\x00e9/a.xml", ZOV::SkinNameKey(L"\x00c9T\x00c9\\A.XML"));  // beyond ASCII
}

TEST(ZipEntrySize, RefusesEmptyHugeAndImpossibleClaims) {
  using ZOV::IsPlausibleZipEntrySize;
  EXPECT_FALSE(IsPlausibleZipEntrySize(0, 0, 0));
  EXPECT_TRUE(IsPlausibleZipEntrySize(10, 10, 0));
  EXPECT_FALSE(IsPlausibleZipEntrySize(10, 11, 0));  // stored data cannot grow
  EXPECT_TRUE(IsPlausibleZipEntrySize(100, 100000, 8));
  EXPECT_FALSE(IsPlausibleZipEntrySize(100, 0xFFFFFF00u, 8));  // gigabytes from 100 bytes
  EXPECT_FALSE(IsPlausibleZipEntrySize(0xFFFFFFFFu, ZOV::kMaxZipEntrySize + 1, 8));
  EXPECT_TRUE(IsPlausibleZipEntrySize(ZOV::kMaxZipEntrySize, ZOV::kMaxZipEntrySize, 0));
}
