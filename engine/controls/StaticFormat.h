// Pure rules of the static control: text format flags from the alignment attributes, the
// padded text rect and the rotation sum.
#pragma once

#include <windows.h>

namespace ZOV {

// DrawTextW flags for "alignX" (1 centre on one line, 2 right), "alignY" (1 centre on one
// line, 2 bottom) and "ellipsis" (1 end, 2 word, 3 path); any other value, negative ones
// included, adds nothing. DT_NOPREFIX is always set.
UINT StaticTextFormat(int alignX, int alignY, int ellipsis);

// The rect with each side moved inward by its padding.
RECT PaddedRect(const RECT& rect, const RECT& padding);

// current + delta, reduced by 360 once when the sum exceeds 360 (so 360 stays 360 and
// negative sums stay negative); saturates instead of overflowing.
int RotationAfter(int current, int delta);

}  // namespace ZOV
