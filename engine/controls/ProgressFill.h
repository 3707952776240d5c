// ProgressFill: the part of a progress bar's rect that shows its value.
#pragma once

#include <windows.h>

namespace ZOV {

struct ProgressRange {
  int value = 0;
  int min = 0;
  int max = 100;
  bool horizontal = true;  // false: the fill grows downwards
  bool reverse = false;    // the fill grows from the far end (right, or bottom)
};

// The filled rect inside rect; false when nothing is filled (value at or below min, or an empty
// range). The fill is proportional to value - min over max - min and never leaves rect, so a
// value stored beyond max by an attribute fills the whole bar.
bool ProgressFillRect(const RECT& rect, const ProgressRange& range, RECT* fill);

}  // namespace ZOV
