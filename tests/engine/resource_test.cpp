// The skin's resources: colour notation, fonts and colours from a "resource" element, and the
// image cache with its conversions and draw paths.
#include <gtest/gtest.h>

#include <rapidxml/rapidxml.hpp>
#include <string>
#include <vector>

#include "AttrParse.h"
#include "ColorParse.h"
#include "PngWriter.h"
#include "ResourceManager.h"
#include "SkinLoader.h"
#include "TempDir.h"

using namespace ZOV;

namespace {

COLORREF Parse(const char* text) { return ParseColorText(text, nullptr); }

TEST(ColorNotation, HashRgbAndEverythingElse) {
  EXPECT_EQ(Parse("#FF0000"), RGB(255, 0, 0));
  EXPECT_EQ(Parse("#00ff80"), RGB(0, 255, 128));
  EXPECT_EQ(Parse("#F00"), RGB(0, 0x0F, 0));  // not expanded: read as 0x000F00
  EXPECT_EQ(Parse("#12zz"), RGB(0, 0, 0x12));
  EXPECT_EQ(Parse("RGB(0, 128, 255)"), RGB(0, 128, 255));
  EXPECT_EQ(Parse("rgb(1,2,3)"), RGB(1, 2, 3));
  EXPECT_EQ(Parse("Rgb(256, 257, 511)"), RGB(0, 1, 255));  // low 8 bits only
  EXPECT_EQ(Parse("rgb(10"), RGB(10, 0, 0));                // missing values are 0, no overrun
  EXPECT_EQ(Parse("rgb("), RGB(0, 0, 0));
  EXPECT_EQ(Parse("red"), 0u);
  EXPECT_EQ(Parse(""), 0u);
  EXPECT_EQ(Parse(nullptr), 0u);
  EXPECT_EQ(Parse("@nolookup"), 0u);
}

TEST(AttributeParsers, FlagsAndNumberLists) {
  EXPECT_FALSE(ParseFlag("0"));
  EXPECT_FALSE(ParseFlag(nullptr));
  EXPECT_TRUE(ParseFlag(""));
  EXPECT_TRUE(ParseFlag("false"));
  EXPECT_TRUE(ParseFlag("00"));
  int v[4];
  ParseNumberList("1,2,3,4", v, 4);
  EXPECT_EQ(std::vector<int>(v, v + 4), (std::vector<int>{1, 2, 3, 4}));
  ParseNumberList("10;-20x30", v, 4);
  EXPECT_EQ(std::vector<int>(v, v + 4), (std::vector<int>{10, -20, 30, 0}));
  ParseNumberList("5", v, 4);
  EXPECT_EQ(std::vector<int>(v, v + 4), (std::vector<int>{5, 0, 0, 0}));
  ParseNumberList("1,,3", v, 4);  // one separator skipped, then "," is no number
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(v[1], 0);
  ParseNumberList(nullptr, v, 4);
  EXPECT_EQ(std::vector<int>(v, v + 4), (std::vector<int>{0, 0, 0, 0}));
}

class Resources : public ::testing::Test {
 protected:
  void Read(const char* xml) {
    m_text.assign(xml, xml + strlen(xml) + 1);
    m_doc.parse<0>(m_text.data());
    m_manager.ReadResource(m_doc.first_node("ui")->first_node("resource"), nullptr);
  }
  LOGFONTW FontOf(const char* id) {
    LOGFONTW lf = {};
    HFONT f = m_manager.GetFont(id);
    EXPECT_NE(f, nullptr) << id;
    if (f) GetObjectW(f, sizeof(lf), &lf);
    return lf;
  }

  std::vector<char> m_text;
  rapidxml::xml_document<char> m_doc;
  CResourceManager m_manager{nullptr};
};

TEST_F(Resources, ColourListRefersOnlyToEarlierColours) {
  Read(R"(<ui><resource><colorlist>
      <color id="early" value="@late"/>
      <color id="late" value="#102030"/>
      <c id="copy" value="@late"/>
      <c id="late" value="#FFFFFF"/>
      <c id="plain"/>
    </colorlist></resource></ui>)");
  EXPECT_EQ(m_manager.GetColor("early"), 0u);
  EXPECT_EQ(m_manager.GetColor("late"), RGB(0x10, 0x20, 0x30));  // first definition stays
  EXPECT_EQ(m_manager.GetColor("copy"), RGB(0x10, 0x20, 0x30));
  EXPECT_EQ(m_manager.GetColor("plain"), 0u);
  EXPECT_EQ(m_manager.GetColor("missing"), 0u);
  EXPECT_EQ(m_manager.ParseColor("@late"), RGB(0x10, 0x20, 0x30));
}

TEST_F(Resources, FontsFollowTheirFlags) {
  Read(R"(<ui><resource><fontlist>
      <font id="title" family="Tahoma" size="20" bold="false" italic="" underline="0"/>
      <font id="body" size="12" bold="0"/>
      <f id="title" size="40" bold="0"/>
    </fontlist><unknown/></resource></ui>)");
  LOGFONTW title = FontOf("title");
  EXPECT_EQ(title.lfWeight, FW_BOLD);  // "false" is not "0"
  EXPECT_TRUE(title.lfItalic);
  EXPECT_FALSE(title.lfUnderline);
  EXPECT_EQ(title.lfHeight, -20);  // the first "title" stays
  EXPECT_STREQ(title.lfFaceName, L"Tahoma");
  LOGFONTW body = FontOf("body");
  EXPECT_EQ(body.lfWeight, FW_NORMAL);
  EXPECT_EQ(body.lfCharSet, DEFAULT_CHARSET);
  EXPECT_EQ(m_manager.GetFont("missing"), nullptr);
}

// An image cache reading from a folder package.
class ImageCache : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(m_skin.SetPackagePath(m_dir.path()), 1); }
  TempDir m_dir;
  CSkinLoader m_skin;
  CResourceManager m_manager{&m_skin};
};

TEST_F(ImageCache, StraightAlphaIsPremultipliedOnceAtLoad) {
  m_dir.Write(L"half.png", MakePngRgba(2, 1, {0x80FF0000u, 0xFF00FF00u}));
  auto image = m_manager.LoadImage("half.png");
  ASSERT_TRUE(image);
  EXPECT_EQ(image->GetBPP(), 32);
  EXPECT_TRUE(image->HasAlpha());
  EXPECT_EQ(image->GetPixel(0, 0), 0x80800000u);  // 255 * 128 / 255
  EXPECT_EQ(image->GetPixel(1, 0), 0xFF00FF00u);
  EXPECT_EQ(m_manager.LoadImage("half.png"), image);  // cached, not converted again
  EXPECT_EQ(image->GetPixel(0, 0), 0x80800000u);
}

TEST_F(ImageCache, WhiteOf24BitPicturesIsTransparent) {
  m_dir.Write(L"logo.bmp", MakeBmp24(2, 2, {0xFFFFFF, 0x123456, 0xFFFFFE, 0xFFFFFF}));
  auto image = m_manager.LoadImage("logo.bmp");
  ASSERT_TRUE(image);
  EXPECT_EQ(image->GetBPP(), 32);
  EXPECT_TRUE(image->HasAlpha());
  EXPECT_EQ(image->GetPixel(0, 0) >> 24, 0u);
  EXPECT_EQ(image->GetPixel(1, 0), 0xFF123456u);
  EXPECT_EQ(image->GetPixel(0, 1), 0xFFFFFFFEu);  // almost white stays opaque
  EXPECT_EQ(image->GetPixel(1, 1) >> 24, 0u);

  // Drawn over red, the white background lets the red through.
  CImage target;
  ASSERT_TRUE(target.Create(2, 2, 32, false));
  HDC dc = target.GetDC();
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT all = {0, 0, 2, 2};
  FillRect(dc, &all, red);
  DeleteObject(red);
  EXPECT_TRUE(image->Draw(dc, all, all));
  GdiFlush();
  EXPECT_EQ(target.GetPixel(0, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(target.GetPixel(1, 0) & 0xFFFFFF, 0x123456u);
  target.ReleaseDC();
}

TEST_F(ImageCache, MissingOrBrokenPicturesAreRetriedLater) {
  EXPECT_FALSE(m_manager.LoadImage("later.png"));
  m_dir.Write(L"broken.png", "not a picture");
  EXPECT_FALSE(m_manager.LoadImage("broken.png"));
  EXPECT_FALSE(m_manager.GetImage("later.png"));
  m_dir.Write(L"later.png", MakePngRgba(1, 1, {0xFF0000FFu}));
  auto image = m_manager.LoadImage("later.png");
  ASSERT_TRUE(image);
  EXPECT_EQ(m_manager.GetImage("later.png"), image);
  EXPECT_FALSE(m_manager.LoadImage(""));
}

TEST(ImageDraw, OpaquePicturesAreCopiedAndTransparentColourIsKeyed) {
  CImage image;
  ASSERT_TRUE(image.Create(2, 1, 24, false));
  BYTE* p = image.GetRow(0);
  p[0] = 0x00; p[1] = 0x00; p[2] = 0xFF;  // red
  p[3] = 0xFF; p[4] = 0x00; p[5] = 0xFF;  // magenta
  CImage target;
  ASSERT_TRUE(target.Create(4, 1, 32, false));
  HDC dc = target.GetDC();
  RECT dest = {0, 0, 4, 1}, src = {0, 0, 2, 1};
  EXPECT_TRUE(image.Draw(dc, dest, src));  // stretched copy
  GdiFlush();
  EXPECT_EQ(target.GetPixel(0, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(target.GetPixel(3, 0) & 0xFFFFFF, 0xFF00FFu);

  RECT all = {0, 0, 4, 1};
  FillRect(dc, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
  image.SetTransparentColor(RGB(255, 0, 255));
  EXPECT_TRUE(image.Draw(dc, dest, src));
  GdiFlush();
  EXPECT_EQ(target.GetPixel(0, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(target.GetPixel(3, 0) & 0xFFFFFF, 0u);  // keyed out: black shows
  target.ReleaseDC();
}

}  // namespace
