// CUIProgressBar: attributes, painting of the value and the script setters.
#include "UIProgressBar.h"

#include <cstdlib>

#include "AccessibleEvents.h"
#include "AttrParse.h"
#include "ControlDraw.h"
#include "DrawImageSpec.h"
#include "ResourceManager.h"
#include "TextConv.h"

namespace ZOV {

namespace {

struct ProgressAttribute {
  const char* name;
  void (*apply)(ProgressRange& range, COLORREF& fore, ImageSpec& image, const char* value);
};

}  // namespace

CUIProgressBar::CUIProgressBar() {
  m_type = kTypeProgressBar;
  m_progressImage.columns = 2;
}

std::shared_ptr<CUIControl> CUIProgressBar::Clone() const { return std::make_shared<CUIProgressBar>(*this); }

int CUIProgressBar::ParseAttributes(const XmlNode* element) {
  if (!CUIStatic::ParseAttributes(element)) return 0;
  static const ProgressAttribute kAttributes[] = {
      {"horizontal", [](ProgressRange& r, COLORREF&, ImageSpec&, const char* v) { r.horizontal = ParseFlag(v); }},
      {"reversedir", [](ProgressRange& r, COLORREF&, ImageSpec&, const char* v) { r.reverse = ParseFlag(v); }},
      {"min", [](ProgressRange& r, COLORREF&, ImageSpec&, const char* v) { r.min = std::atoi(v); }},
      {"max", [](ProgressRange& r, COLORREF&, ImageSpec&, const char* v) { r.max = std::atoi(v); }},
      {"value", [](ProgressRange& r, COLORREF&, ImageSpec&, const char* v) { r.value = std::atoi(v); }},
      {"forecolor",
       [](ProgressRange&, COLORREF& c, ImageSpec&, const char* v) { c = CResourceManager::Instance().ParseColor(v); }},
      {"corner", [](ProgressRange&, COLORREF&, ImageSpec& i, const char* v) { i.corner = ParseRectList(v); }},
      {"combineimage",
       [](ProgressRange&, COLORREF&, ImageSpec& i, const char* v) { i.name = text::Utf8ToWide(v); }},
  };
  ApplyAttributeTable(element, kAttributes, m_range, m_foreColor, m_progressImage);
  return 1;
}

void CUIProgressBar::PaintStatusImage(HDC hdc) {
  bool image = !m_progressImage.name.empty();
  if (image) {
    m_progressImage.columnIndex = 0;
    DrawImageSpec(hdc, m_rect, m_progressImage, 0);
  }
  RECT fill;
  if (!ProgressFillRect(m_rect, m_range, &fill)) return;
  if (m_foreColor != 0) FillSolid(hdc, fill, m_foreColor);
  if (image) {
    m_progressImage.columnIndex = 1;
    DrawImageSpec(hdc, fill, m_progressImage, 0);
  }
}

void CUIProgressBar::SetValue(int value) {
  int old = m_range.value;
  m_range.value = value < m_range.max ? value : m_range.max;
  Invalidate();
  if (old != m_range.value) RaiseAccEvent(this, EVENT_OBJECT_VALUECHANGE);
}

void CUIProgressBar::SetMin(int value) {
  m_range.min = value;
  Invalidate();
}

void CUIProgressBar::SetMax(int value) {
  m_range.max = value;
  Invalidate();
}

}  // namespace ZOV
