// Pure arithmetic of the vertical scroll bar: thumb length and range, the ratio between track
// and content pixels, wheel steps and which part of the bar a point falls on. No window calls.
#pragma once

#include <windows.h>

namespace ZOV {

// What a range of page and total content pixels makes of the track.
struct ScrollMetrics {
  int thumbLength = 0;  // pixels
  // The thumb's length before the minimum: what a page click or a wheel notch moves, so that a
  // page click still moves about a page of content when the thumb is held at its minimum.
  int stepLength = 0;
  int maxPosition = 1;  // largest thumb offset from the top of the track
  float ratio = 0.0f;   // track pixels per content pixel; 0 while nothing can scroll
};

// The shortest thumb: the thumb image is drawn as a three-slice with 3- and 5-pixel ends.
constexpr int kMinThumbLength = 8;

// track: bar height minus both arrows; page: visible content length; total: whole content.
// thumb = track × page / total in single precision, truncated, but at least kMinThumbLength
// (or the whole track when that is shorter; stepLength keeps the value before that);
// max = track − thumb;
// ratio = max / (total − page). The thumb never leaves the track, so content no longer than
// the page fills it and cannot scroll. A page or total of 0 or less leaves current unchanged.
ScrollMetrics ScrollRangeMetrics(int track, int page, int total, const ScrollMetrics& current);

// The position held between 0 and maxPosition (0 when maxPosition is negative).
int ClampScrollPosition(long long position, int maxPosition);

// Content pixels scrolled for a thumb position: position / ratio, truncated; 0 while the ratio
// is 0 (nothing to scroll), never a division by zero.
int ScrollContentOffset(int position, float ratio);

// Thumb pixels for one wheel delta (a signed 16-bit value, 0 counting as 120):
// factor × thumb / delta in single precision, truncated, but at least one pixel in the delta's
// direction while the factor is positive. A positive delta scrolls down.
int ScrollWheelStep(int factor, int thumbLength, int delta);

// Where a button press lands on a bar: the arrows act as the track beside the thumb.
enum class ScrollHit { kOutside, kPageUp, kThumb, kPageDown };

// The thumb: position pixels below the up arrow, thumbLength high, the bar's width.
RECT ScrollThumbRect(const RECT& bar, int arrow, int position, int thumbLength);
ScrollHit ScrollHitTest(const RECT& bar, int arrow, int position, int thumbLength, POINT pt);

}  // namespace ZOV
