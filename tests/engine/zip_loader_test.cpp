// CSkinZipLoader on real archives written by the test, sound and damaged.
#include <gtest/gtest.h>

#include <random>

#include "SkinZipLoader.h"
#include "TempDir.h"
#include "ZipBuilder.h"

using testzip::ZipBuilder;
using ZOV::CSkinZipLoader;

namespace {

std::string Read(CSkinZipLoader& loader, const std::wstring& name, const std::string& initial = "unchanged") {
  std::string data = initial;
  EXPECT_EQ(0, loader.ReadSkinFile(name, data));
  return data;
}

std::string Noise(size_t n) {  // incompressible bytes
  std::mt19937 rng(42);
  std::string s(n, '\0');
  for (char& c : s) c = (char)rng();
  return s;
}

class ZipLoader : public ::testing::Test {
 protected:
  // Saves the archive as dir\skin.zip and opens it; returns OpenSkin's result.
  HRESULT Open(const ZipBuilder& zip) {
    path = dir / L"skin.zip";
    EXPECT_TRUE(zip.Save(path));
    return loader.OpenSkin(path);
  }
  HRESULT OpenBytes(const std::string& bytes, const std::wstring& name = L"skin.zip") {
    path = dir.Write(name, bytes);
    return loader.OpenSkin(path);
  }
  TempDir dir;
  std::wstring path;
  CSkinZipLoader loader;
};

}  // namespace

TEST_F(ZipLoader, LowerCasedLookup) {
  ZipBuilder zip;
  zip.Stored("images/logo.png", "PNGDATA");
  zip.Deflated("UI/View.XML", "<view/>");
  ASSERT_EQ(0, Open(zip));
  EXPECT_EQ("PNGDATA", Read(loader, L"Images\\Logo.PNG"));
  EXPECT_EQ("PNGDATA", Read(loader, L"images/logo.png"));
  EXPECT_EQ("<view/>", Read(loader, L"ui\\view.xml"));
  EXPECT_EQ("unchanged", Read(loader, L"images"));
}

TEST_F(ZipLoader, CleanedNamesFindMainLua) {
  for (const char* stored : {"/main.lua", "\\main.lua", "C:main.lua", "C:/main.lua", "skin/../main.lua",
                             "a\\..\\b/../main.lua"}) {
    ZipBuilder zip;
    zip.Stored(stored, "function main() end");
    ASSERT_EQ(0, Open(zip)) << stored;
    EXPECT_EQ("function main() end", Read(loader, L"main.lua")) << stored;
    loader.CloseSkin();
  }
}

TEST_F(ZipLoader, EntriesStoredWithBackslashesAreFound) {
  ZipBuilder zip;
  zip.Stored("ui\\view.xml", "<view/>");
  ASSERT_EQ(0, Open(zip));
  EXPECT_EQ("<view/>", Read(loader, L"ui/view.xml"));
}

// Includes name their documents as the package path, a backslash and the name.
TEST_F(ZipLoader, NamesUnderThePackagePathAreFoundInside) {
  ZipBuilder zip;
  zip.Stored("ui/panel.xml", "<container/>");
  ASSERT_EQ(0, Open(zip));
  EXPECT_EQ("<container/>", Read(loader, path + L"\\ui\\panel.xml"));
  EXPECT_EQ("<container/>", Read(loader, path + L"/ui/panel.xml"));
  EXPECT_EQ("unchanged", Read(loader, path + L"\\ui\\other.xml"));
  EXPECT_EQ("unchanged", Read(loader, path));
  EXPECT_EQ("unchanged", Read(loader, path + L"x\\ui\\panel.xml"));  // another file's name
}

TEST_F(ZipLoader, FirstOfTwoEqualKeysWins) {
  ZipBuilder zip;
  zip.Stored("Main.lua", "first");
  zip.Stored("/main.lua", "second");
  ASSERT_EQ(0, Open(zip));
  EXPECT_EQ("first", Read(loader, L"main.lua"));
}

TEST_F(ZipLoader, SharedBufferHoldsUpTo32768Bytes) {
  ZipBuilder zip;
  zip.Deflated("exact.bin", std::string(32768, 'a'));
  zip.Deflated("over.bin", std::string(32769, 'b'));
  zip.Stored("small.txt", "xyz");
  ASSERT_EQ(0, Open(zip));

  EXPECT_EQ(std::string(32768, 'a'), Read(loader, L"exact.bin"));
  EXPECT_EQ(1u, loader.SharedBufferReads());
  EXPECT_EQ(0u, loader.OwnBufferReads());

  EXPECT_EQ(std::string(32769, 'b'), Read(loader, L"over.bin"));
  EXPECT_EQ(1u, loader.SharedBufferReads());
  EXPECT_EQ(1u, loader.OwnBufferReads());

  // The shared buffer is cleared between uses: a short entry after a long one is exact.
  EXPECT_EQ("xyz", Read(loader, L"small.txt"));
  EXPECT_EQ(2u, loader.SharedBufferReads());
}

TEST_F(ZipLoader, EmptyEntryIsNotFound) {
  ZipBuilder zip;
  zip.Stored("empty.txt", "");
  zip.Stored("ui/", "");  // a folder entry
  ASSERT_EQ(0, Open(zip));
  EXPECT_EQ("unchanged", Read(loader, L"empty.txt"));
  EXPECT_EQ("unchanged", Read(loader, L"ui"));
}

TEST_F(ZipLoader, CloseThenReadFindsNothing) {
  ZipBuilder zip;
  zip.Stored("main.lua", "x");
  ASSERT_EQ(0, Open(zip));
  EXPECT_EQ(0, loader.CloseSkin());
  EXPECT_EQ("unchanged", Read(loader, L"main.lua"));
  EXPECT_EQ(0, loader.CloseSkin());  // closing twice is harmless
}

TEST_F(ZipLoader, OpenRejectsMissingFoldersAndForeignFiles) {
  EXPECT_EQ(E_INVALIDARG, loader.OpenSkin(dir / L"missing.zip"));
  EXPECT_EQ(E_INVALIDARG, loader.OpenSkin(dir.MakeFolder(L"folder.zip")));
  EXPECT_EQ(E_FAIL, OpenBytes("", L"empty.zip"));
  EXPECT_EQ(E_FAIL, OpenBytes("this is plain text, not an archive\n", L"text.zip"));
  EXPECT_EQ(E_FAIL, OpenBytes(std::string(100000, '\0'), L"zeros.zip"));
  EXPECT_EQ("unchanged", Read(loader, L"main.lua"));
}

TEST_F(ZipLoader, TruncatedArchivesFailToOpen) {
  ZipBuilder zip;
  std::string script(5000, 'm');
  zip.Deflated("main.lua", script);
  zip.Stored("ui/view.xml", "<view/>");
  std::string bytes = zip.Bytes();
  // Without the end record there is no directory to trust.
  for (size_t keep : {bytes.size() / 2, bytes.size() - 22, bytes.size() - 30}) {
    EXPECT_EQ(E_FAIL, OpenBytes(bytes.substr(0, keep))) << keep;
    EXPECT_EQ("unchanged", Read(loader, L"main.lua")) << keep;
  }
  // Cut inside the end record: minizip reads the missing fields as end of file. Whether the
  // archive opens or not, nothing but the true bytes may come out of it.
  for (size_t keep : {bytes.size() - 1, bytes.size() - 10, bytes.size() - 20}) {
    OpenBytes(bytes.substr(0, keep));
    std::string got = Read(loader, L"main.lua");
    EXPECT_TRUE(got == "unchanged" || got == script) << keep;
  }
}

TEST_F(ZipLoader, HugeClaimedSizesAreNotFound) {
  ZipBuilder zip;
  zip.Stored("stored.lua", "tiny").uncompressedSize = 0xFFFFFF00u;        // stored cannot grow
  zip.Deflated("deflated.lua", "tiny").uncompressedSize = 0x7FFFFFFFu;    // 2 GiB from a few bytes
  zip.Deflated("limit.bin", std::string(200000, 'z')).uncompressedSize = 65u * 1024 * 1024;
  ASSERT_EQ(0, Open(zip));
  EXPECT_EQ("unchanged", Read(loader, L"stored.lua"));
  EXPECT_EQ("unchanged", Read(loader, L"deflated.lua"));
  EXPECT_EQ("unchanged", Read(loader, L"limit.bin"));
  EXPECT_EQ(0u, loader.SharedBufferReads() + loader.OwnBufferReads());
}

TEST_F(ZipLoader, ShortOrCorruptDataIsNotFound) {
  ZipBuilder zip;
  // Plausible claim, but the data inflates to less: extraction fails, its buffer is freed.
  zip.Deflated("short.bin", Noise(1000)).uncompressedSize = 40000;
  zip.Stored("crc.lua", "print(1)").crc ^= 1;
  zip.Deflated("bits.lua", std::string(3000, 'q')).payload[3] ^= 0x55;
  zip.Stored("far.lua", "x").localOffset = 0x7FFFFFF0u;  // local header beyond the end
  zip.Stored("ok.lua", "fine");
  ASSERT_EQ(0, Open(zip));
  EXPECT_EQ("unchanged", Read(loader, L"short.bin"));
  EXPECT_EQ("unchanged", Read(loader, L"crc.lua"));
  EXPECT_EQ("unchanged", Read(loader, L"bits.lua"));
  EXPECT_EQ("unchanged", Read(loader, L"far.lua"));
  EXPECT_EQ("fine", Read(loader, L"ok.lua"));
  EXPECT_EQ(0u, loader.OwnBufferReads());
}

TEST_F(ZipLoader, ForgedEntryCountDoesNotCrash) {
  ZipBuilder zip;
  zip.Stored("main.lua", "x");
  std::string bytes = zip.Bytes();
  // End record: entries on this disk and in total, both claimed as 65535.
  size_t end = bytes.size() - 22;
  for (size_t at : {end + 8, end + 10}) bytes[at] = bytes[at + 1] = '\xFF';
  HRESULT hr = OpenBytes(bytes);
  EXPECT_TRUE(hr == 0 || hr == E_FAIL);
  Read(loader, L"main.lua");
}

TEST_F(ZipLoader, ParentStepsNeverLeaveTheArchive) {
  // A file next to the package that a hostile entry name might aim at.
  dir.Write(L"secret.txt", "on disk");
  std::wstring pkg = dir.MakeFolder(L"pkg");
  ZipBuilder zip;
  zip.Stored("../secret.txt", "from the archive");
  zip.Stored("a/../../evil.lua", "evil");
  zip.Stored("C:\\Windows\\win.ini", "not the system's");
  path = pkg + L"\\skin.zip";
  ASSERT_TRUE(zip.Save(path));
  ASSERT_EQ(0, loader.OpenSkin(path));
  std::wstring before = TempDir::Listing(pkg);

  EXPECT_EQ("from the archive", Read(loader, L"..\\secret.txt"));
  EXPECT_EQ("evil", Read(loader, L"../evil.lua"));
  EXPECT_EQ("not the system's", Read(loader, L"Windows\\win.ini"));
  EXPECT_EQ("unchanged", Read(loader, L"..\\..\\secret.txt"));
  EXPECT_EQ("unchanged", Read(loader, L"C:\\Windows\\win.ini"));
  EXPECT_EQ(before, TempDir::Listing(pkg));  // nothing extracted to disk
}

TEST_F(ZipLoader, OpensUnicodePaths) {
  std::wstring folder = dir.MakeFolder(L"\x0441\x043a\x0438\x043d \x76ae\x80a4");
  ZipBuilder zip;
  zip.Stored("main.lua", "ok");
  path = folder + L"\\skin.zip";
  ASSERT_TRUE(zip.Save(path));
  ASSERT_EQ(0, loader.OpenSkin(path));
  EXPECT_EQ("ok", Read(loader, L"main.lua"));
}
