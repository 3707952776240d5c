// Image-spec geometry on any settings: every piece is a non-empty destination cell fed from a
// source cell inside the image.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "ImageSpecGeometry.h"

namespace {

struct Reader {
  const uint8_t* data;
  size_t size;
  int32_t Int() {
    int32_t v = 0;
    size_t n = size < 4 ? size : 4;
    memcpy(&v, data, n);
    data += n;
    size -= n;
    return v;
  }
  RECT Rect() {
    RECT r;
    r.left = Int();
    r.top = Int();
    r.right = Int();
    r.bottom = Int();
    return r;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Reader in{data, size};
  ZOV::ImageSpec spec;
  spec.src = in.Rect();
  spec.dest = in.Rect();
  spec.corner = in.Rect();
  int32_t strip = in.Int();
  spec.columns = (unsigned char)strip;
  spec.rows = (unsigned char)(strip >> 8);
  spec.columnIndex = (unsigned char)(strip >> 16);
  spec.rowIndex = (unsigned char)(strip >> 24);
  RECT control = in.Rect();
  int w = in.Int() & 0xFFFF, h = in.Int() & 0xFFFF;  // a bitmap's size
  int rotation = in.Int();
  ZOV::ImagePlan plan = ZOV::PlanImage(spec, control, w, h, rotation);
  for (const ZOV::ImagePiece& p : plan.pieces) {
    if (p.dest.right <= p.dest.left || p.dest.bottom <= p.dest.top) abort();
    if (p.src.left < 0 || p.src.top < 0 || p.src.right > w || p.src.bottom > h) abort();
    if (p.src.right <= p.src.left || p.src.bottom <= p.src.top) abort();
  }
  return 0;
}
