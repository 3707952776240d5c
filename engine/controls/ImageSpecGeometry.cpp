// Image spec geometry: destination, source, state strip, three-slice and nine-grid cells.
//
// The corner settings c = (cl, ct, cr, cb) select the mode:
//   all 0                   plain stretch (or rotation, when a rotation is set);
//   cb - ct == D's height   horizontal three-slice: cl and cr are the widths of the fixed left
//                           and right pieces, every piece takes source rows 0 to cb;
//   cr - cl == D's width    vertical three-slice: ct and cb are the heights of the fixed top
//                           and bottom pieces in D, source columns S.left to S.left + cr;
//   cl < cr and ct < cb     nine-grid of the whole image: in the source cl, ct, cr, cb are the
//                           grid lines, in D they are the widths and heights of the edges;
//   anything else           nothing.
// Arithmetic runs in 64 bits, since the settings come straight from skin attributes and a
// huge value must not overflow into a plausible-looking rect.
#include "ImageSpecGeometry.h"

#include <algorithm>
#include <climits>

namespace ZOV {

namespace {

typedef long long i64;

int Clamp32(i64 v) { return (int)std::max<i64>(INT_MIN, std::min<i64>(INT_MAX, v)); }

RECT Rect(i64 l, i64 t, i64 r, i64 b) { return RECT{Clamp32(l), Clamp32(t), Clamp32(r), Clamp32(b)}; }

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

bool AllZero(const RECT& r) { return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0; }

// The fixed edges of a sliced destination, each at least 0. When together they are wider
// than the span, they share it in proportion instead of overlapping or turning the middle
// cell inside out (which GDI would draw mirrored).
void FitEdges(i64& first, i64& second, i64 span) {
  first = std::max<i64>(first, 0);
  second = std::max<i64>(second, 0);
  if (first + second <= span) return;
  if (span <= 0) {
    first = second = 0;
    return;
  }
  first = span * first / (first + second);  // first + second > span > 0 here
  second = span - first;
}

// The common part of two rects; false when it is empty.
bool Intersect(RECT& out, const RECT& a, const RECT& b) {
  out = RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  return !Empty(out);
}

// Adds the piece when both cells are non-empty; the source is clipped to the image first.
void AddPiece(std::vector<ImagePiece>& out, const RECT& dest, const RECT& src, int w, int h) {
  RECT bounds = {0, 0, w, h}, clipped;
  if (Empty(dest) || !Intersect(clipped, src, bounds)) return;
  out.push_back({dest, clipped});
}

void SliceHorizontally(ImagePlan& plan, const RECT& corner, int w, int h) {
  const RECT& D = plan.dest;
  const RECT& S = plan.src;
  i64 cl = corner.left, cr = corner.right, cb = corner.bottom;
  i64 dl = cl, dr = cr;
  FitEdges(dl, dr, (i64)D.right - D.left);
  i64 xs[4] = {D.left, D.left + dl, D.right - dr, D.right};
  i64 us[4] = {S.left, S.left + cl, S.right - cr, S.right};
  for (int i = 0; i < 3; ++i)
    AddPiece(plan.pieces, Rect(xs[i], D.top, xs[i + 1], D.bottom), Rect(us[i], 0, us[i + 1], cb), w, h);
}

void SliceVertically(ImagePlan& plan, const RECT& corner, int w, int h) {
  const RECT& D = plan.dest;
  const RECT& S = plan.src;
  i64 ct = corner.top, cr = corner.right, cb = corner.bottom;
  i64 dt = ct, db = cb;
  FitEdges(dt, db, (i64)D.bottom - D.top);
  i64 ys[4] = {D.top, D.top + dt, D.bottom - db, D.bottom};
  i64 vs[4] = {S.top, S.top + ct, S.top + cb, S.bottom};
  for (int i = 0; i < 3; ++i)
    AddPiece(plan.pieces, Rect(D.left, ys[i], D.right, ys[i + 1]),
             Rect(S.left, vs[i], S.left + cr, vs[i + 1]), w, h);
}

void NineGrid(ImagePlan& plan, const RECT& corner, int w, int h) {
  const RECT& D = plan.dest;
  i64 cl = corner.left, ct = corner.top, cr = corner.right, cb = corner.bottom;
  i64 dl = cl, dr = cr, dt = ct, db = cb;
  FitEdges(dl, dr, (i64)D.right - D.left);
  FitEdges(dt, db, (i64)D.bottom - D.top);
  i64 xs[4] = {D.left, D.left + dl, D.right - dr, D.right};
  i64 ys[4] = {D.top, D.top + dt, D.bottom - db, D.bottom};
  i64 us[4] = {0, cl, cr, w};
  i64 vs[4] = {0, ct, cb, h};
  // Row by row: top-left, top, top-right, left, centre, right, bottom-left, bottom, bottom-right.
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col)
      AddPiece(plan.pieces, Rect(xs[col], ys[row], xs[col + 1], ys[row + 1]),
               Rect(us[col], vs[row], us[col + 1], vs[row + 1]), w, h);
}

}  // namespace

RECT ImageDestRect(const RECT& control, const RECT& d) {
  if (AllZero(d)) return control;
  return Rect((i64)control.left + d.left, (i64)control.top + d.top, (i64)control.left + d.right,
              (i64)control.top + d.bottom);
}

RECT ImageSourceRect(const ImageSpec& spec, int imageWidth, int imageHeight) {
  RECT s = Empty(spec.src) ? RECT{0, 0, imageWidth, imageHeight} : spec.src;
  // An index past the last frame takes the last one rather than reading beyond the strip
  // (into whatever lies right of or below the src rect).
  if (spec.columns) {
    i64 fw = ((i64)s.right - s.left) / spec.columns;
    i64 left = s.left + std::min<int>(spec.columnIndex, spec.columns - 1) * fw;
    s.left = Clamp32(left);
    s.right = Clamp32(left + fw);
  }
  if (spec.rows) {
    i64 fh = ((i64)s.bottom - s.top) / spec.rows;
    i64 top = s.top + std::min<int>(spec.rowIndex, spec.rows - 1) * fh;
    s.top = Clamp32(top);
    s.bottom = Clamp32(top + fh);
  }
  return s;
}

ImagePlan PlanImage(const ImageSpec& spec, const RECT& control, int w, int h, int rotation) {
  ImagePlan plan;
  if (w <= 0 || h <= 0) return plan;
  plan.dest = ImageDestRect(control, spec.dest);
  plan.src = ImageSourceRect(spec, w, h);
  // An empty or inverted destination draws nothing: GDI would mirror an inverted one.
  if (Empty(plan.dest)) return plan;
  const RECT& c = spec.corner;
  if (AllZero(c)) {
    if (rotation != 0) {
      RECT bounds = {0, 0, w, h}, clipped;
      if (!Intersect(clipped, plan.src, bounds)) return plan;
      plan.src = clipped;
      plan.layout = ImageLayout::kRotated;
      return plan;
    }
    plan.layout = ImageLayout::kStretch;
    AddPiece(plan.pieces, plan.dest, plan.src, w, h);
  } else if ((i64)c.bottom - c.top == (i64)plan.dest.bottom - plan.dest.top) {
    plan.layout = ImageLayout::kThreeSliceH;
    SliceHorizontally(plan, c, w, h);
  } else if ((i64)c.right - c.left == (i64)plan.dest.right - plan.dest.left) {
    plan.layout = ImageLayout::kThreeSliceV;
    SliceVertically(plan, c, w, h);
  } else if (c.left < c.right && c.top < c.bottom) {
    plan.layout = ImageLayout::kNineGrid;
    NineGrid(plan, c, w, h);
  }
  if (plan.pieces.empty()) plan.layout = ImageLayout::kNothing;
  return plan;
}

}  // namespace ZOV
