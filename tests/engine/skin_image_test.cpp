// LoadSkinImage through both loaders, decoding real BMP bytes with GDI+.
#include <gtest/gtest.h>

#include "Image.h"
#include "PngWriter.h"
#include "SkinFolderLoader.h"
#include "SkinZipLoader.h"
#include "TempDir.h"
#include "ZipBuilder.h"

namespace {

// A 2x1 24-bit BMP: red, then blue.
std::string TwoPixelBmp() { return MakeBmp24(2, 1, {0xFF0000, 0x0000FF}); }

void ExpectTwoPixels(const ZOV::CImage& image) {
  ASSERT_FALSE(image.IsNull());
  EXPECT_EQ(2, image.GetWidth());
  EXPECT_EQ(1, image.GetHeight());
  EXPECT_EQ(0xFFFF0000u, image.GetPixel(0, 0));
  EXPECT_EQ(0xFF0000FFu, image.GetPixel(1, 0));
}

}  // namespace

TEST(SkinImage, FromFolderPackage) {
  TempDir dir;
  dir.Write(L"img\\two.bmp", TwoPixelBmp());
  dir.Write(L"img\\junk.bmp", "not a picture");
  ZOV::CSkinFolderLoader loader;
  ASSERT_EQ(1, loader.OpenSkin(dir.path()));

  ZOV::CImage image;
  EXPECT_EQ(0, loader.LoadSkinImage(L"img\\two.bmp", image));
  ExpectTwoPixels(image);

  ZOV::CImage missing, junk;
  EXPECT_EQ(E_FAIL, loader.LoadSkinImage(L"img\\none.bmp", missing));
  EXPECT_TRUE(missing.IsNull());
  EXPECT_EQ(0, loader.LoadSkinImage(L"img\\junk.bmp", junk));
  EXPECT_TRUE(junk.IsNull());
}

TEST(SkinImage, FromZipPackage) {
  TempDir dir;
  testzip::ZipBuilder zip;
  zip.Stored("img/stored.bmp", TwoPixelBmp());
  zip.Deflated("IMG/Deflated.BMP", TwoPixelBmp());
  zip.Stored("img/junk.bmp", "not a picture");
  ASSERT_TRUE(zip.Save(dir / L"skin.zip"));
  ZOV::CSkinZipLoader loader;
  ASSERT_EQ(0, loader.OpenSkin(dir / L"skin.zip"));

  ZOV::CImage stored, deflated, missing, junk;
  EXPECT_EQ(0, loader.LoadSkinImage(L"img\\stored.bmp", stored));
  ExpectTwoPixels(stored);
  EXPECT_EQ(0, loader.LoadSkinImage(L"img/deflated.bmp", deflated));
  ExpectTwoPixels(deflated);
  EXPECT_EQ(0, loader.LoadSkinImage(L"img\\none.bmp", missing));  // 0 even when missing
  EXPECT_TRUE(missing.IsNull());
  EXPECT_EQ(0, loader.LoadSkinImage(L"img\\junk.bmp", junk));
  EXPECT_TRUE(junk.IsNull());
}
