// ProgressFill: integer geometry of the filled part of a progress bar.
#include "ProgressFill.h"

namespace ZOV {

bool ProgressFillRect(const RECT& rect, const ProgressRange& r, RECT* fill) {
  if (r.value <= r.min || r.max <= r.min) return false;
  int extent = r.horizontal ? rect.right - rect.left : rect.bottom - rect.top;
  if (extent <= 0) return false;
  // 64-bit: a skin's range may span most of the int range.
  long long span = (long long)r.max - r.min;
  long long part = (long long)r.value - r.min;
  if (part > span) part = span;
  int length = (int)(part * extent / span);
  *fill = rect;
  if (r.horizontal) {
    if (r.reverse)
      fill->left = rect.right - length;
    else
      fill->right = rect.left + length;
  } else {
    if (r.reverse)
      fill->top = rect.bottom - length;
    else
      fill->bottom = rect.top + length;
  }
  return length > 0;
}

}  // namespace ZOV
