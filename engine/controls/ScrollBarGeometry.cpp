// Scroll bar arithmetic, in the single precision the bar has always used.
#include "ScrollBarGeometry.h"

namespace ZOV {

ScrollMetrics ScrollRangeMetrics(int track, int page, int total, const ScrollMetrics& current) {
  if (page <= 0 || total <= 0) return current;
  if (track < 0) track = 0;  // a bar shorter than its two arrows
  ScrollMetrics m;
  m.thumbLength = (int)((float)track * (float)page / (float)total);
  if (m.thumbLength > track) m.thumbLength = track;  // content shorter than the page
  // At least a pixel, or a page click could not move the thumb of very long content at all.
  m.stepLength = m.thumbLength > 0 ? m.thumbLength : (track > 0 ? 1 : 0);
  // Long content would make the thumb a sliver (0 pixels from about a thousand rows) that the
  // mouse cannot grab and the thumb image cannot draw; the rest of the track keeps the ratio.
  if (m.thumbLength < kMinThumbLength) m.thumbLength = track < kMinThumbLength ? track : kMinThumbLength;
  m.maxPosition = track - m.thumbLength;
  m.ratio = (m.maxPosition > 0 && total > page) ? (float)m.maxPosition / (float)(total - page) : 0.0f;
  return m;
}

int ClampScrollPosition(long long position, int maxPosition) {
  if (position > maxPosition) position = maxPosition;
  if (position < 0) position = 0;
  return (int)position;
}

int ScrollContentOffset(int position, float ratio) {
  if (!(ratio > 0.0f) || position <= 0) return 0;
  return (int)(unsigned)((float)position / ratio);
}

int ScrollWheelStep(int factor, int thumbLength, int delta) {
  int d = (short)delta;
  if (d == 0) d = 120;
  int step = (int)((float)factor * (float)thumbLength / (float)d);
  // Long content makes a thumb too short for a notch's share to reach a whole pixel (0 pixels
  // from about a thousand rows): a notch still moves it by one, or the wheel could never
  // scroll such a list. A factor of 0 keeps the wheel off.
  if (step == 0 && factor > 0) step = d > 0 ? 1 : -1;
  return step;
}

RECT ScrollThumbRect(const RECT& bar, int arrow, int position, int thumbLength) {
  int top = bar.top + arrow + position;
  return RECT{bar.left, top, bar.right, top + thumbLength};
}

ScrollHit ScrollHitTest(const RECT& bar, int arrow, int position, int thumbLength, POINT pt) {
  if (!PtInRect(&bar, pt)) return ScrollHit::kOutside;
  RECT thumb = ScrollThumbRect(bar, arrow, position, thumbLength);
  if (pt.y < bar.top + arrow || pt.y < thumb.top) return ScrollHit::kPageUp;
  if (pt.y >= bar.bottom - arrow || pt.y >= thumb.bottom) return ScrollHit::kPageDown;
  return ScrollHit::kThumb;
}

}  // namespace ZOV
