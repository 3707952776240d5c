// Statics painted into a memory bitmap: text, stretched, offset, strip, nine-grid and rotated
// images, missing images tried again, hostile settings, and GDI objects over many paints;
// the state frames of buttons and check boxes.
#include <gtest/gtest.h>

#include <rapidxml/rapidxml.hpp>
#include <string>
#include <vector>

#include "Engine.h"
#include "ProcessCounts.h"
#include "PngWriter.h"
#include "ResourceManager.h"
#include "StaticCanvas.h"
#include "TempDir.h"
#include "UICheckBox.h"
#include "UIControlContainer.h"
#include "UIProgressBar.h"
#include "UIStatic.h"

using namespace ZOV;

namespace {

const uint32_t kBack = 0x102030;
const uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

// Nine distinct colours for the cells of a 9,9,10,10 grid on a 20x20 image.
const uint32_t kCell[9] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF,
                           0xFF00FF, 0x800000, 0x008000, 0x000080};

int Band(int v) { return v < 9 ? 0 : v < 10 ? 1 : 2; }

class StaticPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    CEngine::Instance().Init();
    ASSERT_EQ(CEngine::Instance().SkinLoader().SetPackagePath(m_skin.path()), 1);
  }
  void TearDown() override { CEngine::Instance().SkinLoader().CloseSkin(); }

  // A name no earlier test used: the image cache lives for the whole process.
  std::string Unique(const char* stem) {
    return std::string(stem) + "-" + std::to_string(++s_names) + ".png";
  }
  void WritePng(const std::string& name, int w, int h, const std::vector<uint32_t>& px) {
    m_skin.Write(std::wstring(name.begin(), name.end()), MakePngRgba(w, h, px));
  }
  void WriteSolid(const std::string& name, uint32_t rgb, int w = 2, int h = 2) {
    WritePng(name, w, h, std::vector<uint32_t>((size_t)w * h, 0xFF000000u | rgb));
  }
  std::string WriteGrid() {
    std::string name = Unique("grid");
    std::vector<uint32_t> px(400);
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 20; ++x) px[y * 20 + x] = 0xFF000000u | kCell[Band(y) * 3 + Band(x)];
    WritePng(name, 20, 20, px);
    return name;
  }
  // A static (or a class derived from it) parsed from a snippet and placed at rect.
  template <typename T = CUIStatic>
  std::shared_ptr<T> Make(const std::string& xml, RECT rect) {
    m_texts.emplace_back(xml.begin(), xml.end());
    m_texts.back().push_back('\0');
    m_docs.emplace_back(new rapidxml::xml_document<char>);
    m_docs.back()->parse<0>(m_texts.back().data());
    auto s = std::make_shared<T>();
    s->ParseAttributes(m_docs.back()->first_node());
    s->SetRect(rect);
    return s;
  }
  // Whether any pixel outside rect differs from the background.
  static bool TouchedOutside(const StaticCanvas& c, RECT rect) {
    for (int y = 0; y < c.height(); ++y)
      for (int x = 0; x < c.width(); ++x) {
        POINT pt = {x, y};
        if (!PtInRect(&rect, pt) && c.At(x, y) != kBack) return true;
      }
    return false;
  }
  static int CountPixels(const StaticCanvas& c, RECT area, bool (*match)(uint32_t)) {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) n += match(c.At(x, y)) ? 1 : 0;
    return n;
  }

  TempDir m_skin;
  std::vector<std::vector<char>> m_texts;
  std::vector<std::unique_ptr<rapidxml::xml_document<char>>> m_docs;
  static int s_names;
};

int StaticPaint::s_names = 0;

bool Reddish(uint32_t c) {
  return ((c >> 16) & 0xFF) > 0x80 && ((c >> 8) & 0xFF) < 0x60 && (c & 0xFF) < 0x60;
}
bool Bluish(uint32_t c) { return (c & 0xFF) > 0x80 && ((c >> 16) & 0xFF) < 0x60 && ((c >> 8) & 0xFF) < 0x60; }

TEST_F(StaticPaint, StretchedImageFillsTheControl) {
  std::string red = Unique("red");
  WriteSolid(red, kRed);
  StaticCanvas canvas(100, 100, kBack);
  auto s = Make("<static bkimage=\"" + red + "\"/>", {10, 10, 60, 40});
  s->Paint(canvas.dc());
  EXPECT_EQ(canvas.At(10, 10), kRed);
  EXPECT_EQ(canvas.At(59, 39), kRed);
  EXPECT_FALSE(TouchedOutside(canvas, {10, 10, 60, 40}));
}

TEST_F(StaticPaint, DestOffsetsDrawIntoASixteenPixelSquare) {
  std::string red = Unique("red");
  WriteSolid(red, kRed);
  StaticCanvas canvas(100, 100, kBack);
  Make("<static bkimage=\"" + red + "\" dest=\"2,2,18,18\"/>", {0, 0, 100, 100})->Paint(canvas.dc());
  EXPECT_EQ(canvas.At(1, 1), kBack);
  EXPECT_EQ(canvas.At(2, 2), kRed);
  EXPECT_EQ(canvas.At(17, 17), kRed);
  EXPECT_EQ(canvas.At(18, 18), kBack);
  EXPECT_FALSE(TouchedOutside(canvas, {2, 2, 18, 18}));
}

TEST_F(StaticPaint, StateStripDrawsTheThirdQuarter) {
  std::string strip = Unique("strip");
  const uint32_t bands[4] = {kRed, kGreen, kBlue, 0xFFFF00};
  std::vector<uint32_t> px(80 * 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 80; ++x) px[y * 80 + x] = 0xFF000000u | bands[x / 20];
  WritePng(strip, 80, 10, px);
  StaticCanvas canvas(60, 60, kBack);
  auto s = Make("<static bkimage=\"" + strip + "\"/>", {0, 0, 40, 40});
  s->BkImageSpec().columns = 4;
  s->BkImageSpec().columnIndex = 2;
  s->Paint(canvas.dc());
  EXPECT_EQ(canvas.At(0, 0), kBlue);
  EXPECT_EQ(canvas.At(39, 39), kBlue);
  EXPECT_EQ(canvas.At(20, 20), kBlue);
}

TEST_F(StaticPaint, ButtonAndCheckBoxShowTheFrameOfTheirState) {
  // 10x10 frames of distinct colours: eight for a check box, the first four for a button.
  const uint32_t frames[8] = {kRed, kGreen, kBlue, 0xFFFF00, 0x00FFFF, 0xFF00FF, 0x800000, 0x008000};
  auto strip = [&](int n) {
    std::string name = Unique("strip");
    std::vector<uint32_t> px(n * 100);
    for (size_t i = 0; i < px.size(); ++i) px[i] = 0xFF000000u | frames[i % (n * 10) / 10];
    WritePng(name, n * 10, 10, px);
    return name;
  };
  StaticCanvas canvas(40, 40, kBack);
  auto paint = [&](CUIButton& b, int state) {
    b.SetState(state);
    b.Paint(canvas.dc());
    return canvas.At(20, 20);
  };
  auto button = Make<CUIButton>("<button combineimage=\"" + strip(4) + "\"/>", {0, 0, 40, 40});
  for (int state : {kStateNormal, kStateHover, kStateDown}) EXPECT_EQ(paint(*button, state), frames[state]);
  EXPECT_EQ(paint(*button, 9), frames[0]);  // no state of the four: normal, not past the strip
  button->SetEnable(false);
  EXPECT_EQ(paint(*button, kStateHover), frames[3]);
  EXPECT_EQ(button->GetState(), kStateDisabled);

  auto box = Make<CUICheckBox>("<checkbox combineimage=\"" + strip(8) + "\"/>", {0, 0, 40, 40});
  EXPECT_EQ(paint(*box, kStateNormal), frames[4]);  // unchecked frames come second
  box->SetCheck(true);
  EXPECT_EQ(paint(*box, kStateHover), frames[1]);
}

TEST_F(StaticPaint, SrcPartIsStretchedAlone) {
  std::string grid = WriteGrid();
  StaticCanvas canvas(60, 60, kBack);
  // Source 10,10 to 20,20 is the bottom-right cell only.
  Make("<static bkimage=\"" + grid + "\" src=\"10,10,20,20\" corner=\"0,0,0,0\"/>", {0, 0, 50, 50})
      ->Paint(canvas.dc());
  EXPECT_EQ(canvas.At(0, 0), kCell[8]);
  EXPECT_EQ(canvas.At(49, 49), kCell[8]);
}

TEST_F(StaticPaint, NineGridKeepsCornersAndStretchesTheMiddle) {
  std::string grid = WriteGrid();
  StaticCanvas canvas(120, 120, kBack);
  // A 100x60 control whose rect starts at y = 40.
  Make("<static bkimage=\"" + grid + "\" corner=\"9,9,10,10\"/>", {0, 40, 100, 100})->Paint(canvas.dc());
  int xs[3][2] = {{0, 8}, {9, 89}, {90, 99}};
  int ys[3][2] = {{40, 48}, {49, 89}, {90, 99}};
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col)
      for (int y : ys[row])
        for (int x : xs[col]) EXPECT_EQ(canvas.At(x, y), kCell[row * 3 + col]) << x << "," << y;
  EXPECT_EQ(canvas.At(50, 39), kBack);  // nothing above the control
  EXPECT_FALSE(TouchedOutside(canvas, {0, 40, 100, 100}));
}

TEST_F(StaticPaint, HorizontalThreeSliceKeepsItsEnds) {
  std::string grid = WriteGrid();
  StaticCanvas canvas(120, 60, kBack);
  // cb - ct = 20 = the control's height: ends 9 and 10 wide, source rows 0 to 20.
  Make("<static bkimage=\"" + grid + "\" corner=\"9,0,10,20\"/>", {10, 10, 110, 30})->Paint(canvas.dc());
  EXPECT_EQ(canvas.At(10, 10), kCell[0]);
  EXPECT_EQ(canvas.At(18, 10), kCell[0]);
  EXPECT_EQ(canvas.At(19, 10), kCell[1]);
  EXPECT_EQ(canvas.At(99, 10), kCell[1]);
  EXPECT_EQ(canvas.At(100, 10), kCell[2]);
  EXPECT_EQ(canvas.At(109, 29), kCell[8]);
  EXPECT_FALSE(TouchedOutside(canvas, {10, 10, 110, 30}));
}

// Left half red, right half blue.
std::vector<uint32_t> HalfAndHalf() {
  std::vector<uint32_t> px(400);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) px[y * 20 + x] = 0xFF000000u | (x < 10 ? kRed : kBlue);
  return px;
}

TEST_F(StaticPaint, RotationTurnsTheImageAboutTheCentre) {
  std::string half = Unique("half");
  WritePng(half, 20, 20, HalfAndHalf());
  StaticCanvas canvas(100, 100, kBack);
  auto s = Make("<static bkimage=\"" + half + "\"/>", {30, 30, 70, 70});
  s->Paint(canvas.dc());
  EXPECT_EQ(canvas.At(35, 50), kRed);
  EXPECT_EQ(canvas.At(65, 50), kBlue);

  s->Rotate(180);
  canvas.Fill(kBack);
  s->Paint(canvas.dc());
  EXPECT_TRUE(Bluish(canvas.At(35, 50))) << std::hex << canvas.At(35, 50);
  EXPECT_TRUE(Reddish(canvas.At(65, 50))) << std::hex << canvas.At(65, 50);

  s->Rotate(-90);  // 90 degrees clockwise: the red half goes to the top
  canvas.Fill(kBack);
  s->Paint(canvas.dc());
  EXPECT_TRUE(Reddish(canvas.At(50, 35))) << std::hex << canvas.At(50, 35);
  EXPECT_TRUE(Bluish(canvas.At(50, 65))) << std::hex << canvas.At(50, 65);
  EXPECT_EQ(canvas.At(10, 10), kBack);
}

TEST_F(StaticPaint, RotationWithoutAFileUsesTheCachedImage) {
  // Decoded and cached once, then the file goes, as in a zip package, which has no files.
  std::string half = Unique("half");
  WritePng(half, 20, 20, HalfAndHalf());
  StaticCanvas canvas(100, 100, kBack);
  auto s = Make("<static bkimage=\"" + half + "\"/>", {30, 30, 70, 70});
  s->Paint(canvas.dc());
  ASSERT_TRUE(DeleteFileW((m_skin / std::wstring(half.begin(), half.end())).c_str()));
  s->Rotate(180);
  canvas.Fill(kBack);
  s->Paint(canvas.dc());
  EXPECT_TRUE(Bluish(canvas.At(35, 50))) << std::hex << canvas.At(35, 50);
  EXPECT_TRUE(Reddish(canvas.At(65, 50))) << std::hex << canvas.At(65, 50);
}

TEST_F(StaticPaint, RotatedControlWithCornerDrawsUnrotated) {
  std::string grid = WriteGrid();
  StaticCanvas canvas(120, 120, kBack);
  auto s = Make("<static bkimage=\"" + grid + "\" corner=\"9,9,10,10\"/>", {0, 40, 100, 100});
  s->Rotate(90);
  s->Paint(canvas.dc());
  EXPECT_EQ(canvas.At(0, 40), kCell[0]);
  EXPECT_EQ(canvas.At(99, 99), kCell[8]);
}

TEST_F(StaticPaint, MissingImageDrawsNothingAndIsTriedAgain) {
  std::string later = Unique("later");
  StaticCanvas canvas(50, 50, kBack);
  auto s = Make("<static bkimage=\"" + later + "\"/>", {0, 0, 50, 50});
  s->Paint(canvas.dc());
  EXPECT_EQ(canvas.At(25, 25), kBack);
  EXPECT_EQ(CResourceManager::Instance().GetImage(later.c_str()), nullptr);  // not cached
  WriteSolid(later, kGreen);
  s->Paint(canvas.dc());
  EXPECT_EQ(canvas.At(25, 25), kGreen);
  // Rotated and missing: nothing either.
  auto r = Make("<static bkimage=\"" + Unique("never") + "\"/>", {0, 0, 50, 50});
  r->Rotate(30);
  canvas.Fill(kBack);
  r->Paint(canvas.dc());
  EXPECT_FALSE(TouchedOutside(canvas, {0, 0, 0, 0}));
}

TEST_F(StaticPaint, TextInItsColourAlignmentAndPadding) {
  StaticCanvas canvas(200, 40, kBack);
  auto s = Make(R"(<static text="HH" textcolor="#FF0000" alignX="2" alignY="1"/>)", {0, 0, 200, 40});
  s->Paint(canvas.dc());
  EXPECT_GT(CountPixels(canvas, {100, 0, 200, 40}, Reddish), 20);
  EXPECT_EQ(CountPixels(canvas, {0, 0, 100, 40}, Reddish), 0);  // right-aligned
  EXPECT_EQ(CountPixels(canvas, {0, 0, 200, 8}, Reddish), 0);   // centred vertically

  canvas.Fill(kBack);
  auto t = Make(R"(<static text="HHHH" textcolor="#FF0000" disabledtextcolor="#0000FF"/>)", {0, 0, 200, 40});
  t->SetEnable(false);
  t->Paint(canvas.dc());
  EXPECT_GT(CountPixels(canvas, {0, 0, 200, 40}, Bluish), 10);
  EXPECT_EQ(CountPixels(canvas, {0, 0, 200, 40}, Reddish), 0);

  canvas.Fill(kBack);
  auto padded = Make(R"(<static text="HHHH" textcolor="#FF0000" textpadding="50,10,0,0"/>)", {0, 0, 200, 40});
  padded->Paint(canvas.dc());
  EXPECT_GT(CountPixels(canvas, {50, 10, 200, 40}, Reddish), 10);
  EXPECT_FALSE(TouchedOutside(canvas, {50, 10, 200, 40}));

  canvas.Fill(kBack);
  Make(R"(<static text="HHHH" textcolor="#FF0000" textpadding="150,0,150,0"/>)", {0, 0, 200, 40})
      ->Paint(canvas.dc());
  EXPECT_FALSE(TouchedOutside(canvas, {0, 0, 0, 0}));  // no room left: no text
}

TEST_F(StaticPaint, TextLeavesTheDcAsItFoundIt) {
  StaticCanvas canvas(100, 30, kBack);
  HGDIOBJ fontBefore = GetCurrentObject(canvas.dc(), OBJ_FONT);
  COLORREF colorBefore = GetTextColor(canvas.dc());
  int modeBefore = GetBkMode(canvas.dc());
  auto s =
      Make(R"(<static text="abc" textcolor="#00FF00" font="no-such-font" bordersize="2" bkcolor="#0000FF"/>)",
           {0, 0, 100, 30});
  s->Paint(canvas.dc());
  EXPECT_EQ(GetCurrentObject(canvas.dc(), OBJ_FONT), fontBefore);
  EXPECT_EQ(GetTextColor(canvas.dc()), colorBefore);
  EXPECT_EQ(GetBkMode(canvas.dc()), modeBefore);
}

TEST_F(StaticPaint, HostileSettingsDrawInsideTheControlOrNotAtAll) {
  std::string grid = WriteGrid();
  const char* settings[] = {
      "corner=\"0,0,100000,100000\"",
      "corner=\"-50,-50,500,500\"",
      "corner=\"2147483647,0,2147483647,60\"",
      "corner=\"x,y,z,w\"",
      "src=\"-10,-10,500,500\"",
      "src=\"30,30,60,60\"",
      "dest=\"50,50,10,10\"",
      "dest=\"-20,-20,200,200\"",
      "corner=\"9,9,10,10\" dest=\"0,0,5,5\"",
      "textpadding=\"-9999999999,5,5,5\" text=\"x\"",
      "corner=\"1,1,2,2\"",
      "text=\"x\" hovertextcolor=\"#zz\" downtextcolor=\"rgb(\" combineimage=\"\"",
  };
  for (const char* extra : settings) {
    // The same settings on a button's status strip, in each of its states.
    StaticCanvas canvas(120, 120, kBack);
    auto b = Make<CUIButton>("<button combineimage=\"" + grid + "\" " + extra + "/>", {10, 40, 110, 100});
    for (int state = kStateNormal; state <= kStateDisabled; ++state) {
      b->SetState(state);
      b->Paint(canvas.dc());
    }
    if (std::string(extra).find("dest") == std::string::npos) {
      EXPECT_FALSE(TouchedOutside(canvas, {10, 40, 110, 100})) << extra;
    }
    for (int rotation : {0, 45}) {
      StaticCanvas canvas(120, 120, kBack);
      auto s = Make("<static bkimage=\"" + grid + "\" " + extra + "/>", {10, 40, 110, 100});
      s->Rotate(rotation);
      s->Paint(canvas.dc());
      // Without rotation or dest offsets everything stays inside the control.
      bool bounded = rotation == 0 && std::string(extra).find("dest") == std::string::npos;
      if (bounded) {
        EXPECT_FALSE(TouchedOutside(canvas, {10, 40, 110, 100})) << extra;
      }
    }
  }
  // Empty and inverted control rects.
  StaticCanvas canvas(50, 50, kBack);
  Make("<static bkimage=\"" + grid + "\" text=\"x\" corner=\"9,9,10,10\"/>", {10, 10, 10, 10})
      ->Paint(canvas.dc());
  Make("<static bkimage=\"" + grid + "\" text=\"x\"/>", {40, 40, 10, 10})->Paint(canvas.dc());
  EXPECT_FALSE(TouchedOutside(canvas, {0, 0, 0, 0}));
}

TEST(GdiCount, SeesObjectsComeAndGo) {
  DWORD before = GdiObjectCount();
  ASSERT_GT(before, 0u);
  HBRUSH brushes[10];
  for (HBRUSH& b : brushes) b = CreateSolidBrush(RGB(1, 2, 3));
  EXPECT_EQ(GdiObjectCount(), before + 10);
  for (HBRUSH b : brushes) DeleteObject(b);
  EXPECT_EQ(GdiObjectCount(), before);
}

TEST_F(StaticPaint, ThousandPaintsLeaveNoGdiObjectBehind) {
  std::string grid = WriteGrid();
  std::string half = Unique("half");
  WritePng(half, 20, 20, HalfAndHalf());
  std::string xml =
      "<container width=\"200\" height=\"200\" bkcolor=\"#101010\" bordersize=\"1\">"
      "<static left=\"0\" top=\"0\" width=\"100\" height=\"60\" bkimage=\"" +
      grid +
      "\" corner=\"9,9,10,10\" text=\"nine\" textcolor=\"#FFFFFF\" bordersize=\"2\"/>"
      "<static left=\"0\" top=\"60\" width=\"40\" height=\"40\" bkimage=\"" +
      half +
      "\"/>"
      "<static left=\"100\" top=\"0\" width=\"100\" height=\"30\" text=\"text\" alignX=\"1\""
      " alignY=\"1\" ellipsis=\"1\" bkcolor=\"#00FF00\"/>"
      "<static left=\"100\" top=\"100\" width=\"10\" height=\"10\" bkimage=\"missing.png\"/>"
      "</container>";
  std::vector<char> text(xml.begin(), xml.end());
  text.push_back('\0');
  rapidxml::xml_document<char> doc;
  doc.parse<0>(text.data());
  auto root = std::make_shared<CUIControlContainer>();
  root->ParseAttributes(doc.first_node());
  root->SetRect({0, 0, 200, 200});
  auto* rotated = dynamic_cast<CUIStatic*>(root->GetSubControl(1));
  ASSERT_NE(rotated, nullptr);
  rotated->Rotate(30);
  StaticCanvas canvas(200, 200, kBack);
  root->Paint(canvas.dc());  // first paint decodes and caches
  DWORD before = GdiObjectCount();
  for (int i = 0; i < 1000; ++i) root->Paint(canvas.dc());
  DWORD after = GdiObjectCount();
  EXPECT_LE(after, before);
  EXPECT_TRUE(Reddish(canvas.At(5, 65)) || Bluish(canvas.At(5, 65)) || canvas.At(5, 65) == 0x101010);
}

// The columns of row y in [left, right) that have the colour.
int CountInRow(const StaticCanvas& c, int y, int left, int right, uint32_t rgb) {
  int n = 0;
  for (int x = left; x < right; ++x) n += c.At(x, y) == rgb ? 1 : 0;
  return n;
}

TEST_F(StaticPaint, ProgressBarFillsItsShareFromEitherEnd) {
  StaticCanvas canvas(220, 60, kBack);
  auto bar = Make<CUIProgressBar>(R"(<progressbar min="0" max="100" value="25" forecolor="#FF0000"/>)",
                                  {10, 10, 210, 30});
  bar->Paint(canvas.dc());
  EXPECT_EQ(CountInRow(canvas, 20, 0, 220, kRed), 50);
  EXPECT_EQ(canvas.At(10, 20), kRed);
  EXPECT_EQ(canvas.At(59, 20), kRed);
  EXPECT_EQ(canvas.At(60, 20), kBack);

  canvas.Fill(kBack);
  Make<CUIProgressBar>(R"(<progressbar value="25" reversedir="1" forecolor="#FF0000"/>)", {10, 10, 210, 30})
      ->Paint(canvas.dc());
  EXPECT_EQ(CountInRow(canvas, 20, 0, 220, kRed), 50);
  EXPECT_EQ(canvas.At(160, 20), kRed);
  EXPECT_EQ(canvas.At(209, 20), kRed);
  EXPECT_EQ(canvas.At(159, 20), kBack);

  // Vertical and reversed: the bottom quarter.
  canvas.Fill(kBack);
  Make<CUIProgressBar>(R"(<progressbar value="25" horizontal="0" reversedir="1" forecolor="#00FF00"/>)",
                       {0, 0, 10, 40})
      ->Paint(canvas.dc());
  EXPECT_EQ(canvas.At(5, 29), kBack);
  EXPECT_EQ(canvas.At(5, 30), kGreen);
  EXPECT_EQ(canvas.At(5, 39), kGreen);
}

TEST_F(StaticPaint, ProgressBarClampsOnlyAboveAndSurvivesOddRanges) {
  StaticCanvas canvas(220, 40, kBack);
  auto bar = Make<CUIProgressBar>(R"(<progressbar forecolor="#FF0000"/>)", {10, 10, 210, 30});
  bar->SetValue(150);
  EXPECT_EQ(bar->GetValue(), 100);
  bar->Paint(canvas.dc());
  EXPECT_EQ(CountInRow(canvas, 20, 0, 220, kRed), 200);
  bar->SetValue(-5);
  EXPECT_EQ(bar->GetValue(), -5);
  canvas.Fill(kBack);
  bar->Paint(canvas.dc());
  EXPECT_EQ(CountInRow(canvas, 20, 0, 220, kRed), 0);

  // The share is counted from min; a value stored past max by the attribute fills no more than
  // the bar; an empty or inverted range (a division by zero otherwise) draws no fill.
  canvas.Fill(kBack);
  Make<CUIProgressBar>(R"(<progressbar min="100" max="200" value="150" forecolor="#FF0000"/>)", {10, 10, 210, 30})
      ->Paint(canvas.dc());
  EXPECT_EQ(CountInRow(canvas, 20, 0, 220, kRed), 100);
  canvas.Fill(kBack);
  Make<CUIProgressBar>(R"(<progressbar max="100" value="400" forecolor="#FF0000"/>)", {10, 10, 210, 30})
      ->Paint(canvas.dc());
  EXPECT_EQ(CountInRow(canvas, 20, 0, 220, kRed), 200);
  for (const char* xml : {R"(<progressbar min="5" max="5" value="9" forecolor="#FF0000"/>)",
                          R"(<progressbar min="9" max="1" value="5" forecolor="#FF0000"/>)"}) {
    canvas.Fill(kBack);
    Make<CUIProgressBar>(xml, {10, 10, 210, 30})->Paint(canvas.dc());
    EXPECT_EQ(CountInRow(canvas, 20, 0, 220, kRed), 0) << xml;
  }
}

TEST_F(StaticPaint, ProgressBarDrawsTheFilledFrameIntoTheValuePart) {
  std::string strip = Unique("progress");
  std::vector<uint32_t> px(4 * 2);  // frame 0 blue, frame 1 green
  for (int i = 0; i < 8; ++i) px[i] = 0xFF000000u | (i % 4 < 2 ? kBlue : kGreen);
  WritePng(strip, 4, 2, px);
  StaticCanvas canvas(220, 40, kBack);
  Make<CUIProgressBar>("<progressbar value=\"25\" combineimage=\"" + strip + "\"/>", {10, 10, 210, 30})
      ->Paint(canvas.dc());
  EXPECT_EQ(CountInRow(canvas, 20, 0, 220, kGreen), 50);
  EXPECT_EQ(CountInRow(canvas, 20, 0, 220, kBlue), 150);
}

}  // namespace
