// CUIScrollBar: a vertical scroll bar drawn from one 4 by 4 frame image (columns: normal,
// hover, pressed; rows: up arrow, track, down arrow, thumb). It reports scrolling to a
// listener in content pixels.
#pragma once

#include "ImageSpec.h"
#include "ScrollBarGeometry.h"
#include "UIControl.h"

namespace ZOV {

class IScrollBarListener {
 public:
  // Called after the thumb moved, with the content offset it now stands for.
  virtual void OnScrollChanged(int contentOffset) = 0;

 protected:
  ~IScrollBarListener() = default;
};

class CUIScrollBar : public CUIControl {
 public:
  enum HotState { kNormal = 0, kHover = 1, kPressed = 2 };

  CUIScrollBar();
  CUIScrollBar(const CUIScrollBar& other);  // the copy has no listener and is not dragging

  std::shared_ptr<CUIControl> Clone() const override;
  // The common attributes, then "combineimage", "src", "dest", "corner" ("onclick" is ignored).
  int ParseAttributes(const XmlNode* element) override;
  void PaintStatusImage(HDC hdc) override;
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;

  // page and total in content pixels; the thumb is sized from the current rect, so set the
  // rect first. The position is kept within the new range.
  void SetRange(int page, int total);
  void ScrollBy(int trackPixels);  // clamps, tells the listener, repaints
  void ScrollByWheel(int wheelDelta);
  int GetContentOffset() const { return ScrollContentOffset(m_position, m_metrics.ratio); }
  void SetListener(IScrollBarListener* listener) { m_listener = listener; }

  int GetPosition() const { return m_position; }
  int GetThumbLength() const { return m_metrics.thumbLength; }
  int GetMaxPosition() const { return m_metrics.maxPosition; }
  float GetRatio() const { return m_metrics.ratio; }
  int GetArrowSize() const { return m_arrowSize; }
  int GetHotState() const { return m_hot; }
  bool IsDragging() const { return m_dragging; }
  const ImageSpec& GetImageSpec() const { return m_image; }

  // Ends a drag without a button release (the bar is going away): gives back the window's
  // mouse capture and the host's capture control.
  void CancelDrag();

 private:
  void SetHot(int state);  // repaints on a change; a disabled bar keeps its state
  bool IsCaptureControl() const;
  LRESULT OnMouseMove(POINT pt, LPARAM lParam, bool* handled);
  LRESULT OnButtonDown(POINT pt, bool* handled);

  int m_page = 0;
  int m_total = 0;
  ScrollMetrics m_metrics;  // thumb length, max position, ratio
  int m_position = 0;       // thumb offset from the top of the track
  int m_wheelFactor = 30;
  int m_arrowSize = 8;
  POINT m_drag = {0, 0};  // last mouse point of a drag; -1, -1 after one
  bool m_dragging = false;
  int m_hot = kNormal;
  ImageSpec m_image;
  IScrollBarListener* m_listener = nullptr;  // not owned
};

}  // namespace ZOV
