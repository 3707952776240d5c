// CUIScrollBar: range, scrolling, mouse handling (arrows, track, thumb drag, wheel), painting.
#include "UIScrollBar.h"

#include <windowsx.h>

#include <cstring>

#include "AttrParse.h"
#include "DpiScale.h"
#include "DrawImageSpec.h"
#include "HostWnd.h"
#include "TextConv.h"

namespace ZOV {

namespace {

void SetHandled(bool* handled) {
  if (handled) *handled = true;
}

// Rows of the frame image.
enum FrameRow { kUpArrowRow = 0, kTrackRow = 1, kDownArrowRow = 2, kThumbRow = 3 };

}  // namespace

CUIScrollBar::CUIScrollBar() {
  m_type = kTypeScrollBar;
  m_image.name = L"scrollbar.png";
  // The arrow's default is in skin units too; the wheel factor is a share of the thumb, the
  // same at every scale.
  m_arrowSize = Dpi().ToDevice(m_arrowSize);
}

CUIScrollBar::CUIScrollBar(const CUIScrollBar& o)
    : CUIControl(o),
      m_page(o.m_page),
      m_total(o.m_total),
      m_metrics(o.m_metrics),
      m_position(o.m_position),
      m_wheelFactor(o.m_wheelFactor),
      m_arrowSize(o.m_arrowSize),
      m_hot(o.m_hot == kPressed ? kNormal : o.m_hot),
      m_image(o.m_image) {}

std::shared_ptr<CUIControl> CUIScrollBar::Clone() const { return std::make_shared<CUIScrollBar>(*this); }

int CUIScrollBar::ParseAttributes(const XmlNode* element) {
  if (!CUIControl::ParseAttributes(element)) return 0;
  for (const XmlAttribute* a = element->first_attribute(); a; a = a->next_attribute()) {
    const char* name = a->name();
    const char* value = a->value();
    if (!std::strcmp(name, "combineimage"))
      m_image.name = text::Utf8ToWide(value);
    else if (!std::strcmp(name, "src"))
      m_image.src = ParseRectList(value);
    else if (!std::strcmp(name, "dest"))
      m_image.dest = Dpi().ToDevice(ParseRectList(value));
    else if (!std::strcmp(name, "corner"))
      m_image.corner = ParseRectList(value);
  }
  return 1;
}

void CUIScrollBar::SetRange(int page, int total) {
  m_page = page;
  m_total = total;
  int track = (m_rect.bottom - m_rect.top) - 2 * m_arrowSize;
  m_metrics = ScrollRangeMetrics(track, page, total, m_metrics);
  // Less content than before: the thumb must not stay below the end of the shorter track.
  m_position = ClampScrollPosition(m_position, m_metrics.maxPosition);
}

void CUIScrollBar::ScrollBy(int trackPixels) {
  m_position = ClampScrollPosition((long long)m_position + trackPixels, m_metrics.maxPosition);
  if (m_listener) m_listener->OnScrollChanged(GetContentOffset());
  Invalidate();
}

void CUIScrollBar::ScrollByWheel(int wheelDelta) {
  ScrollBy(ScrollWheelStep(m_wheelFactor, m_metrics.stepLength, wheelDelta));
}

void CUIScrollBar::SetHot(int state) {
  if (!m_enabled || m_hot == state) return;
  m_hot = state;
  Invalidate();
}

bool CUIScrollBar::IsCaptureControl() const { return m_host && m_host->GetCaptureControl() == this; }

void CUIScrollBar::CancelDrag() {
  if (!m_dragging) return;
  m_dragging = false;
  m_drag = {-1, -1};
  if (IsCaptureControl()) {
    ::ReleaseCapture();
    SetMouseCapture(false);
  }
}

LRESULT CUIScrollBar::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) {
  POINT pt = {(LONG)LOWORD(lParam), (LONG)HIWORD(lParam)};
  switch (msg) {
    case WM_MOUSEMOVE:
      return OnMouseMove(pt, lParam, handled);
    case WM_LBUTTONDOWN:
      return OnButtonDown(pt, handled);
    case WM_LBUTTONUP:
      if (m_dragging) {
        CancelDrag();
        SetHot(kNormal);
        SetHandled(handled);
      }
      return 0;
    case WM_MOUSEWHEEL:
      // The wheel turned away from the user (a positive delta) scrolls up.
      ScrollByWheel(-(int)HIWORD(wParam));
      SetHandled(handled);
      return 0;
    case WM_MOUSEHOVER:
      if (!m_dragging && PtInRect(&m_rect, pt)) {
        SetHot(kHover);
        SetHandled(handled);
      }
      return 0;
    case WM_MOUSELEAVE:
      if (!m_dragging && m_hot != kNormal) {
        SetHot(kNormal);
        // Only its own capture: another control may hold the host's.
        if (IsCaptureControl()) SetMouseCapture(false);
        SetHandled(handled);
      }
      return 0;
    default:
      return 0;
  }
}

LRESULT CUIScrollBar::OnMouseMove(POINT pt, LPARAM lParam, bool* handled) {
  if (m_dragging) {
    int y = GET_Y_LPARAM(lParam);  // signed: the mouse may be above the window while dragging
    if (y > m_rect.top + m_arrowSize && y < m_rect.bottom - m_arrowSize) {
      ScrollBy(y - m_drag.y);
      m_drag = {GET_X_LPARAM(lParam), y};
    }
    SetHandled(handled);
    return 0;
  }
  if (PtInRect(&m_rect, pt)) {
    SetHot(kHover);
    SetHandled(handled);
  } else if (m_hot == kHover) {
    SetHot(kNormal);
  }
  return 0;
}

LRESULT CUIScrollBar::OnButtonDown(POINT pt, bool* handled) {
  switch (ScrollHitTest(m_rect, m_arrowSize, m_position, m_metrics.thumbLength, pt)) {
    case ScrollHit::kOutside:
      return 0;
    case ScrollHit::kPageUp:
      ScrollBy(-m_metrics.stepLength);
      break;
    case ScrollHit::kPageDown:
      ScrollBy(m_metrics.stepLength);
      break;
    case ScrollHit::kThumb:
      m_drag = pt;
      // Capture only for a real drag: a capture nobody releases would swallow later clicks.
      if (pt.y > m_rect.top + m_arrowSize && pt.y < m_rect.bottom - m_arrowSize) {
        m_dragging = true;
        if (HWND hwnd = m_host ? m_host->GetHWND() : nullptr) ::SetCapture(hwnd);
        SetMouseCapture(true);
      }
      SetHot(kPressed);
      break;
  }
  SetHandled(handled);
  return 0;
}

void CUIScrollBar::PaintStatusImage(HDC hdc) {
  if (m_image.name.empty()) return;
  ImageSpec frame = m_image;
  frame.columns = 4;
  frame.rows = 4;
  frame.columnIndex = (unsigned char)m_hot;
  auto draw = [&](unsigned char row, const RECT& r) {
    frame.rowIndex = row;
    DrawImageSpec(hdc, r, frame, 0);
  };
  draw(kTrackRow, m_rect);
  if (m_arrowSize != 0) {
    draw(kUpArrowRow, RECT{m_rect.left, m_rect.top, m_rect.right, m_rect.top + m_arrowSize});
    draw(kDownArrowRow, RECT{m_rect.left, m_rect.bottom - m_arrowSize, m_rect.right, m_rect.bottom});
  }
  // The thumb frame as a vertical three-slice: its rows 0-3 and 5-end keep their height, 3-5 stretch.
  frame.corner = RECT{0, 3, 8, 5};
  draw(kThumbRow, ScrollThumbRect(m_rect, m_arrowSize, m_position, m_metrics.thumbLength));
}

}  // namespace ZOV
