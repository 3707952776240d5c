// LoadSkinImage through both loaders, decoding real BMP bytes with GDI+.
#include <gtest/gtest.h>

#include "Image.h"
#include "SkinFolderLoader.h"
#include "SkinZipLoader.h"
#include "TempDir.h"
#include "ZipBuilder.h"

namespace {

void Put(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += (char)((v >> (8 * i)) & 0xFF);
}

// A 2x1 24-bit BMP: red, then blue.
std::string TwoPixelBmp() {
  std::string pixels = std::string("\x00\x00\xFF", 3) + std::string("\xFF\x00\x00", 3) + std::string(2, '\0');
  std::string bmp = "BM";
  Put(bmp, 14 + 40 + (uint32_t)pixels.size(), 4);  // file size
  Put(bmp, 0, 4);                                   // reserved
  Put(bmp, 14 + 40, 4);                             // offset of the pixels
  Put(bmp, 40, 4);                                  // BITMAPINFOHEADER size
  Put(bmp, 2, 4);                                   // width
  Put(bmp, 1, 4);                                   // height (bottom-up)
  Put(bmp, 1, 2);                                   // planes
  Put(bmp, 24, 2);                                  // bits per pixel
  Put(bmp, 0, 4);                                   // BI_RGB
  Put(bmp, (uint32_t)pixels.size(), 4);
  Put(bmp, 2835, 4);
  Put(bmp, 2835, 4);
  Put(bmp, 0, 4);
  Put(bmp, 0, 4);
  return bmp + pixels;
}

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
