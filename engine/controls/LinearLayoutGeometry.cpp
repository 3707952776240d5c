// Linear layout arithmetic: content length, start offset, one rect per visible child.
#include "LinearLayoutGeometry.h"

namespace ZOV {

int LinearLayoutStart(int align, int length, int content) {
  if (align == 1) return (length - content) / 2;
  if (align == 2) return length - content;
  return 0;
}

std::vector<RECT> LinearLayoutRects(const LinearLayoutSettings& s, SIZE layout,
                                    const std::vector<int>& lengths) {
  int n = (int)lengths.size();
  std::vector<RECT> rects;
  if (n == 0) return rects;
  rects.reserve(n);
  int length = s.vertical ? layout.cy : layout.cx;
  int content = (n - 1) * s.padding;
  if (s.itemSize) {
    content += n * (s.vertical ? s.itemSize->cy : s.itemSize->cx);
  } else {
    for (int l : lengths) content += l;
  }
  int cursor = LinearLayoutStart(s.align, length, content);
  for (int k = 0; k < n; ++k) {
    // Main-axis extent first, then the cross axis.
    int along = s.itemSize ? (s.vertical ? s.itemSize->cy : s.itemSize->cx) : lengths[k];
    int across =
        s.itemSize ? (s.vertical ? s.itemSize->cx : s.itemSize->cy) : (s.vertical ? layout.cx : layout.cy);
    rects.push_back(s.vertical ? RECT{0, cursor, across, cursor + along}
                               : RECT{cursor, 0, cursor + along, across});
    cursor += along + s.padding;
  }
  return rects;
}

}  // namespace ZOV
