// Text format, padding and rotation rules of the static control.
#include "StaticFormat.h"

#include <climits>

namespace ZOV {

UINT StaticTextFormat(int alignX, int alignY, int ellipsis) {
  UINT format;
  switch (alignX) {
    case 1:
      format = DT_CENTER | DT_SINGLELINE | DT_NOPREFIX;
      break;
    case 2:
      format = DT_RIGHT | DT_NOPREFIX;
      break;
    default:
      format = DT_NOPREFIX;
      break;
  }
  // DT_BOTTOM without DT_SINGLELINE is passed on as it is; DrawTextW honours it only for a
  // single line, which "alignX" 1 or "alignY" 1 selects.
  if (alignY == 1)
    format |= DT_VCENTER | DT_SINGLELINE;
  else if (alignY == 2)
    format |= DT_BOTTOM;
  switch (ellipsis) {
    case 1:
      format |= DT_END_ELLIPSIS;
      break;
    case 2:
      format |= DT_WORD_ELLIPSIS;
      break;
    case 3:
      format |= DT_PATH_ELLIPSIS;
      break;
    default:
      break;
  }
  return format;
}

namespace {
// Padding and rotation come from attributes and scripts: saturate rather than overflow.
int Clamp32(long long v) { return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : (int)v; }
}  // namespace

RECT PaddedRect(const RECT& r, const RECT& p) {
  return RECT{Clamp32((long long)r.left + p.left), Clamp32((long long)r.top + p.top),
              Clamp32((long long)r.right - p.right), Clamp32((long long)r.bottom - p.bottom)};
}

int RotationAfter(int current, int delta) {
  long long sum = (long long)current + delta;
  if (sum > 360) sum -= 360;
  return Clamp32(sum);
}

}  // namespace ZOV
