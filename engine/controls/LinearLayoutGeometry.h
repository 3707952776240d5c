// Pure arithmetic of the linear layout: where each visible child goes along one axis, with
// fixed spacing and alignment. No window calls, so tests reach it directly.
#pragma once

#include <windows.h>

#include <optional>
#include <vector>

namespace ZOV {

struct LinearLayoutSettings {
  bool vertical = false;         // stack downwards instead of rightwards
  int align = 0;                 // 0 start, 1 centre, 2 end of the main axis
  int padding = 0;               // gap between neighbouring children
  std::optional<SIZE> itemSize;  // fixed size of every child
};

// Offset of the first child along the main axis: 0, (length − content) / 2 or
// length − content. Content longer than the layout gives a negative offset.
int LinearLayoutStart(int align, int length, int content);

// Rects relative to the layout's top-left corner for its visible children, in order.
// lengths: each child's declared length along the main axis (unused with an item size).
// Without an item size a child spans the layout's whole cross axis.
std::vector<RECT> LinearLayoutRects(const LinearLayoutSettings& settings, SIZE layout,
                                    const std::vector<int>& lengths);

}  // namespace ZOV
