// CSkinFolderLoader and CSkinLoader's choice of loader.
#include <gtest/gtest.h>

#include "ScopedWin.h"
#include "SkinFolderLoader.h"
#include "SkinLoader.h"
#include "SkinZipLoader.h"
#include "TempDir.h"
#include "ZipBuilder.h"

using ZOV::CSkinFolderLoader;

namespace {

std::string Read(ZOV::ISkinInnerLoader& loader, const std::wstring& name) {
  std::string data = "unchanged";
  EXPECT_EQ(0, loader.ReadSkinFile(name, data));
  return data;
}

}  // namespace

TEST(FolderLoader, OpenAcceptsOnlyExistingFolders) {
  TempDir dir;
  CSkinFolderLoader loader;
  EXPECT_EQ(E_INVALIDARG, loader.OpenSkin(dir / L"missing"));
  EXPECT_EQ(E_INVALIDARG, loader.OpenSkin(dir.Write(L"file.bin", "x")));
  EXPECT_EQ(1, loader.OpenSkin(dir.path()));
}

TEST(FolderLoader, ReadsRelativeAndAbsoluteNames) {
  TempDir dir, elsewhere;
  dir.Write(L"main.lua", "main");
  dir.Write(L"ui\\view.xml", "<view/>");
  std::wstring outside = elsewhere.Write(L"other.lua", "absolute");
  CSkinFolderLoader loader;
  ASSERT_EQ(1, loader.OpenSkin(dir.path()));
  EXPECT_EQ("main", Read(loader, L"main.lua"));
  EXPECT_EQ("<view/>", Read(loader, L"ui\\view.xml"));
  EXPECT_EQ("<view/>", Read(loader, L"ui/view.xml"));
  EXPECT_EQ("main", Read(loader, L"ui\\..\\main.lua"));  // canonicalised
  EXPECT_EQ("absolute", Read(loader, outside));
}

TEST(FolderLoader, MissingOrUnreadableLeavesStringUnchanged) {
  TempDir dir;
  std::wstring locked = dir.Write(L"locked.lua", "busy");
  dir.Write(L"empty.lua", "");
  dir.MakeFolder(L"sub");
  CSkinFolderLoader loader;
  ASSERT_EQ(1, loader.OpenSkin(dir.path()));
  EXPECT_EQ("unchanged", Read(loader, L"missing.lua"));
  EXPECT_EQ("unchanged", Read(loader, L"sub"));
  EXPECT_EQ("unchanged", Read(loader, std::wstring(400, L'a')));  // longer than the path buffer
  EXPECT_EQ("", Read(loader, L"empty.lua"));
  {
    // The file is opened without sharing: a writer holding it makes the read fail.
    win::AutoFile holder(::CreateFileW(locked.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_EQ("unchanged", Read(loader, L"locked.lua"));
  }
  EXPECT_EQ("busy", Read(loader, L"locked.lua"));
}

TEST(FolderLoader, CloseThenReadFindsNothing) {
  TempDir dir;
  dir.Write(L"main.lua", "main");
  CSkinFolderLoader loader;
  ASSERT_EQ(1, loader.OpenSkin(dir.path()));
  EXPECT_EQ(0, loader.CloseSkin());
  EXPECT_EQ("unchanged", Read(loader, L"main.lua"));
}

TEST(SkinLoader, ZipSuffixIsCaseSensitive) {
  TempDir dir;
  testzip::ZipBuilder zip;
  zip.Stored("main.lua", "zipped");
  ASSERT_TRUE(zip.Save(dir / L"lower.zip"));
  ASSERT_TRUE(zip.Save(dir / L"upper.ZIP"));

  ZOV::CSkinLoader skin;
  EXPECT_EQ(0, skin.SetPackagePath(dir / L"lower.zip"));
  EXPECT_NE(nullptr, dynamic_cast<ZOV::CSkinZipLoader*>(skin.Loader()));
  std::string data;
  skin.ReadSkinFile(L"main.lua", data);
  EXPECT_EQ("zipped", data);

  // ".ZIP" goes to the folder loader, which refuses a file.
  EXPECT_EQ(E_INVALIDARG, skin.SetPackagePath(dir / L"upper.ZIP"));
  EXPECT_NE(nullptr, dynamic_cast<CSkinFolderLoader*>(skin.Loader()));
  EXPECT_EQ(dir / L"upper.ZIP", skin.PackagePath());
  data = "unchanged";
  skin.ReadSkinFile(L"main.lua", data);
  EXPECT_EQ("unchanged", data);

  EXPECT_EQ(1, skin.SetPackagePath(dir.path()));
  EXPECT_NE(nullptr, dynamic_cast<CSkinFolderLoader*>(skin.Loader()));
}

TEST(SkinLoader, BeforeAnyPathNothingIsFound) {
  ZOV::CSkinLoader skin;
  std::string data = "unchanged";
  EXPECT_EQ(0, skin.ReadSkinFile(L"main.lua", data));
  EXPECT_EQ("unchanged", data);
  EXPECT_EQ(0, skin.CloseSkin());
  EXPECT_EQ(nullptr, skin.Loader());
}
