// Image spec geometry and the static control's pure rules: destination offsets, source and
// state strip, three-slice and nine-grid cells, hostile settings, text format, rotation.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "ImageSpecGeometry.h"
#include "StaticFormat.h"

using namespace ZOV;

namespace {

RECT R(int l, int t, int r, int b) { return RECT{l, t, r, b}; }

std::string Str(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

ImageSpec Spec(RECT corner = {}, RECT src = {}, RECT dest = {}) {
  ImageSpec s;
  s.name = L"x.png";
  s.corner = corner;
  s.src = src;
  s.dest = dest;
  return s;
}

// Every piece must stay inside D, read inside the image and be non-empty.
void ExpectSane(const ImagePlan& plan, int w, int h) {
  for (const ImagePiece& p : plan.pieces) {
    EXPECT_LT(p.dest.left, p.dest.right);
    EXPECT_LT(p.dest.top, p.dest.bottom);
    EXPECT_GE(p.dest.left, plan.dest.left);
    EXPECT_LE(p.dest.right, plan.dest.right);
    EXPECT_GE(p.dest.top, plan.dest.top);
    EXPECT_LE(p.dest.bottom, plan.dest.bottom);
    EXPECT_GE(p.src.left, 0);
    EXPECT_GE(p.src.top, 0);
    EXPECT_LE(p.src.right, w);
    EXPECT_LE(p.src.bottom, h);
    EXPECT_LT(p.src.left, p.src.right);
    EXPECT_LT(p.src.top, p.src.bottom);
  }
}

TEST(ImageGeometry, DestOffsetsAreMeasuredFromTheTopLeftCorner) {
  EXPECT_EQ(Str(ImageDestRect(R(10, 20, 110, 120), R(2, 2, 18, 18))), "12,22,28,38");
  EXPECT_EQ(Str(ImageDestRect(R(10, 20, 110, 120), R(0, 0, 0, 0))), "10,20,110,120");
  // One non-zero value is enough to switch to offsets.
  EXPECT_EQ(Str(ImageDestRect(R(10, 20, 110, 120), R(0, 0, 0, 5))), "10,20,10,25");
}

TEST(ImageGeometry, SourceIsTheWholeImageUnlessSrcIsSet) {
  EXPECT_EQ(Str(ImageSourceRect(Spec(), 40, 30)), "0,0,40,30");
  EXPECT_EQ(Str(ImageSourceRect(Spec({}, R(5, 6, 15, 16)), 40, 30)), "5,6,15,16");
  // An inverted src is an empty rect: the whole image.
  EXPECT_EQ(Str(ImageSourceRect(Spec({}, R(15, 6, 5, 16)), 40, 30)), "0,0,40,30");
}

TEST(ImageGeometry, StateStripPicksOneFrame) {
  ImageSpec s = Spec();
  s.columns = 4;
  s.columnIndex = 2;
  EXPECT_EQ(Str(ImageSourceRect(s, 80, 20)), "40,0,60,20");  // the third quarter
  s.rows = 2;
  s.rowIndex = 1;
  EXPECT_EQ(Str(ImageSourceRect(s, 80, 20)), "40,10,60,20");
  // A frame past the end is the last frame, not whatever lies beyond the strip: here the
  // src rect is the left half of the image, so reading on would show the right half.
  s.rows = 0;
  s.src = R(0, 0, 40, 20);
  s.columnIndex = 7;
  EXPECT_EQ(Str(ImageSourceRect(s, 80, 20)), "30,0,40,20");
}

TEST(ImageGeometry, PlainStretchOfTheSrcPart) {
  ImagePlan plan = PlanImage(Spec({}, R(4, 4, 8, 8)), R(0, 0, 50, 50), 20, 20, 0);
  ASSERT_EQ(plan.layout, ImageLayout::kStretch);
  ASSERT_EQ(plan.pieces.size(), 1u);
  EXPECT_EQ(Str(plan.pieces[0].dest), "0,0,50,50");
  EXPECT_EQ(Str(plan.pieces[0].src), "4,4,8,8");
}

TEST(ImageGeometry, RotationOnlyWithoutCorner) {
  ImagePlan rotated = PlanImage(Spec(), R(0, 0, 50, 50), 20, 20, 90);
  EXPECT_EQ(rotated.layout, ImageLayout::kRotated);
  EXPECT_TRUE(rotated.pieces.empty());
  EXPECT_EQ(Str(rotated.src), "0,0,20,20");
  ImagePlan cornered = PlanImage(Spec(R(9, 9, 10, 10)), R(0, 0, 100, 60), 20, 20, 90);
  EXPECT_EQ(cornered.layout, ImageLayout::kNineGrid);
}

TEST(ImageGeometry, NineGridKeepsTheBordersUnscaled) {
  // 20x20 image, corner 9,9,10,10, a 100x60 control whose rect starts at y = 40.
  ImagePlan plan = PlanImage(Spec(R(9, 9, 10, 10)), R(0, 40, 100, 100), 20, 20, 0);
  ASSERT_EQ(plan.layout, ImageLayout::kNineGrid);
  ASSERT_EQ(plan.pieces.size(), 9u);
  const char* dest[9] = {"0,40,9,49",    "9,40,90,49", "90,40,100,49", "0,49,9,90",    "9,49,90,90",
                         "90,49,100,90", "0,90,9,100", "9,90,90,100",  "90,90,100,100"};
  const char* src[9] = {"0,0,9,9",    "9,0,10,9",  "10,0,20,9",  "0,9,9,10",   "9,9,10,10",
                        "10,9,20,10", "0,10,9,20", "9,10,10,20", "10,10,20,20"};
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(Str(plan.pieces[i].dest), dest[i]) << i;
    EXPECT_EQ(Str(plan.pieces[i].src), src[i]) << i;
  }
}

TEST(ImageGeometry, NineGridIgnoresSrcAndStrip) {
  ImageSpec s = Spec(R(9, 9, 10, 10), R(2, 2, 4, 4));
  s.columns = 2;
  ImagePlan plan = PlanImage(s, R(0, 0, 100, 60), 20, 20, 0);
  ASSERT_EQ(plan.pieces.size(), 9u);
  EXPECT_EQ(Str(plan.pieces[8].src), "10,10,20,20");
}

TEST(ImageGeometry, HorizontalThreeSlice) {
  // cb - ct equals D's height (20): left 5 wide, right 6 wide, source rows 0 to cb.
  ImagePlan plan = PlanImage(Spec(R(5, 0, 6, 20), R(0, 10, 30, 40)), R(100, 0, 200, 20), 40, 40, 0);
  ASSERT_EQ(plan.layout, ImageLayout::kThreeSliceH);
  ASSERT_EQ(plan.pieces.size(), 3u);
  EXPECT_EQ(Str(plan.pieces[0].dest), "100,0,105,20");
  EXPECT_EQ(Str(plan.pieces[1].dest), "105,0,194,20");
  EXPECT_EQ(Str(plan.pieces[2].dest), "194,0,200,20");
  EXPECT_EQ(Str(plan.pieces[0].src), "0,0,5,20");
  EXPECT_EQ(Str(plan.pieces[1].src), "5,0,24,20");
  EXPECT_EQ(Str(plan.pieces[2].src), "24,0,30,20");
}

TEST(ImageGeometry, VerticalThreeSlice) {
  // cr - cl equals D's width (16): top 4 high, bottom 5 high.
  ImagePlan plan = PlanImage(Spec(R(0, 4, 16, 5)), R(0, 0, 16, 100), 16, 12, 0);
  ASSERT_EQ(plan.layout, ImageLayout::kThreeSliceV);
  ASSERT_EQ(plan.pieces.size(), 3u);
  EXPECT_EQ(Str(plan.pieces[0].dest), "0,0,16,4");
  EXPECT_EQ(Str(plan.pieces[1].dest), "0,4,16,95");
  EXPECT_EQ(Str(plan.pieces[2].dest), "0,95,16,100");
  EXPECT_EQ(Str(plan.pieces[0].src), "0,0,16,4");
  EXPECT_EQ(Str(plan.pieces[1].src), "0,4,16,5");
  EXPECT_EQ(Str(plan.pieces[2].src), "0,5,16,12");
}

TEST(ImageGeometry, CornerThatFitsNoModeDrawsNothing) {
  ImagePlan plan = PlanImage(Spec(R(10, 10, 5, 5)), R(0, 0, 100, 60), 20, 20, 0);
  EXPECT_EQ(plan.layout, ImageLayout::kNothing);
  EXPECT_TRUE(plan.pieces.empty());
}

TEST(ImageGeometry, EdgesWiderThanTheControlShareItInsteadOfMirroring) {
  // 9 + 10 fixed pixels on a 10-pixel-wide control: the middle would be -9 wide.
  ImagePlan plan = PlanImage(Spec(R(9, 9, 10, 10)), R(0, 0, 10, 10), 20, 20, 0);
  ASSERT_EQ(plan.layout, ImageLayout::kNineGrid);
  ExpectSane(plan, 20, 20);
  int area = 0;
  for (const ImagePiece& p : plan.pieces) area += (p.dest.right - p.dest.left) * (p.dest.bottom - p.dest.top);
  EXPECT_EQ(area, 100);  // the pieces tile the control without overlapping
}

TEST(ImageGeometry, HostileSettingsStayInsideImageAndControl) {
  const RECT corners[] = {R(0, 0, 100000, 100000),
                          R(-50, -50, 500, 500),
                          R(INT_MIN, INT_MIN, INT_MAX, INT_MAX),
                          R(INT_MAX, 0, INT_MAX, 60),
                          R(0, INT_MIN, 0, 0),
                          R(30, 30, 40, 40),
                          R(1, 1, 2, 2)};
  const RECT srcs[] = {R(0, 0, 0, 0), R(-10, -10, 500, 500), R(INT_MIN, INT_MIN, INT_MAX, INT_MAX),
                       R(30, 30, 60, 60)};
  const RECT dests[] = {R(0, 0, 0, 0), R(INT_MAX, INT_MAX, INT_MIN, INT_MIN), R(-5, -5, 5, 5),
                        R(0, 0, INT_MAX, INT_MAX)};
  for (const RECT& c : corners)
    for (const RECT& s : srcs)
      for (const RECT& d : dests)
        for (int rotation : {0, 45}) {
          ImageSpec spec = Spec(c, s, d);
          spec.columns = 3;
          spec.columnIndex = 2;
          ImagePlan plan = PlanImage(spec, R(10, 40, 110, 100), 20, 20, rotation);
          ExpectSane(plan, 20, 20);
          if (plan.layout == ImageLayout::kRotated) {
            EXPECT_GE(plan.src.left, 0);
            EXPECT_LE(plan.src.right, 20);
          }
        }
}

TEST(ImageGeometry, EmptyControlOrImageDrawsNothing) {
  EXPECT_EQ(PlanImage(Spec(), R(10, 10, 10, 30), 20, 20, 0).layout, ImageLayout::kNothing);
  EXPECT_EQ(PlanImage(Spec(), R(10, 30, 50, 10), 20, 20, 0).layout, ImageLayout::kNothing);
  EXPECT_EQ(PlanImage(Spec(), R(0, 0, 50, 50), 0, 0, 0).layout, ImageLayout::kNothing);
  EXPECT_EQ(PlanImage(Spec(R(9, 9, 10, 10)), R(0, 0, 0, 0), 20, 20, 0).layout, ImageLayout::kNothing);
}

TEST(StaticFormat, AlignmentFlags) {
  EXPECT_EQ(StaticTextFormat(0, 0, 0), 0x800u);
  EXPECT_EQ(StaticTextFormat(1, 0, 0), 0x821u);  // centred on one line, at the top
  EXPECT_EQ(StaticTextFormat(2, 0, 0), 0x802u);
  EXPECT_EQ(StaticTextFormat(0, 1, 0), 0x824u);
  EXPECT_EQ(StaticTextFormat(0, 2, 0), 0x808u);  // DT_BOTTOM passed on without DT_SINGLELINE
  EXPECT_EQ(StaticTextFormat(1, 1, 1), 0x8825u);
  EXPECT_EQ(StaticTextFormat(0, 0, 2), 0x40800u);
  EXPECT_EQ(StaticTextFormat(0, 0, 3), 0x4800u);
  EXPECT_EQ(StaticTextFormat(3, 7, 4), 0x800u);
  EXPECT_EQ(StaticTextFormat(-1, -2, -3), 0x800u);
}

TEST(StaticFormat, PaddedRectMovesEverySideInward) {
  EXPECT_EQ(Str(PaddedRect(R(10, 20, 110, 70), R(1, 2, 3, 4))), "11,22,107,66");
  // Sums past the int range saturate instead of wrapping round into a plausible rect.
  EXPECT_EQ(Str(PaddedRect(R(10, 20, -10, 70), R(INT_MAX, 0, INT_MAX, 0))),
            std::to_string(INT_MAX) + ",20," + std::to_string(INT_MIN) + ",70");
}

TEST(StaticFormat, RotationReducesOnceAbove360) {
  EXPECT_EQ(RotationAfter(RotationAfter(0, 350), 350), 340);
  EXPECT_EQ(RotationAfter(0, -30), -30);
  EXPECT_EQ(RotationAfter(0, 360), 360);
  EXPECT_EQ(RotationAfter(300, 1000), 940);  // reduced once only
  EXPECT_EQ(RotationAfter(INT_MIN, -5), INT_MIN);
  EXPECT_EQ(RotationAfter(INT_MAX, INT_MAX), INT_MAX);
}

}  // namespace
