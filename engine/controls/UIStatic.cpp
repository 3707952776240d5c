// CUIStatic: attributes, text and background image painting, script operations.
#include "UIStatic.h"

#include <cstdlib>

#include "AccessibleEvents.h"
#include "AttrParse.h"
#include "ControlDraw.h"
#include "DpiScale.h"
#include "DrawImageSpec.h"
#include "ResourceManager.h"
#include "StaticFormat.h"
#include "TextConv.h"

namespace ZOV {

namespace {

// Values of one element that are combined after all its attributes were read.
struct AlignValues {
  int x = 0, y = 0, ellipsis = 0;
};

// Negative alignment values count as 0, which selects the default anyway.
int AlignNumber(const char* value) {
  int v = std::atoi(value);
  return v < 0 ? 0 : v;
}

CResourceManager& Res() { return CResourceManager::Instance(); }

// A rect of control geometry, given in skin units.
RECT DeviceRect(const char* value) { return Dpi().ToDevice(ParseRectList(value)); }

// One row of the attribute table: the name, and how its value lands in the control.
struct StaticAttribute {
  const char* name;
  void (*apply)(CUIStatic& s, AlignValues& align, const char* value);
};

}  // namespace

CUIStatic::CUIStatic() : m_disabledTextColor(::GetSysColor(COLOR_GRAYTEXT)) { m_type = kTypeStatic; }

std::shared_ptr<CUIControl> CUIStatic::Clone() const { return std::make_shared<CUIStatic>(*this); }

int CUIStatic::ParseAttributes(const XmlNode* element) {
  if (!CUIControl::ParseAttributes(element)) return 0;
  static const StaticAttribute kAttributes[] = {
      {"text", [](CUIStatic& s, AlignValues&, const char* v) { s.m_text = v; }},
      {"textcolor", [](CUIStatic& s, AlignValues&, const char* v) { s.m_textColor = Res().ParseColor(v); }},
      {"disabledtextcolor",
       [](CUIStatic& s, AlignValues&, const char* v) { s.m_disabledTextColor = Res().ParseColor(v); }},
      {"textpadding", [](CUIStatic& s, AlignValues&, const char* v) { s.m_textPadding = DeviceRect(v); }},
      {"src", [](CUIStatic& s, AlignValues&, const char* v) { s.m_bkImage.src = ParseRectList(v); }},
      {"dest", [](CUIStatic& s, AlignValues&, const char* v) { s.m_bkImage.dest = DeviceRect(v); }},
      {"corner", [](CUIStatic& s, AlignValues&, const char* v) { s.m_bkImage.corner = ParseRectList(v); }},
      {"font", [](CUIStatic& s, AlignValues&, const char* v) { s.m_font = Res().GetFont(v); }},
      {"bkimage", [](CUIStatic& s, AlignValues&, const char* v) { s.m_bkImage.name = text::Utf8ToWide(v); }},
      {"alignX", [](CUIStatic&, AlignValues& a, const char* v) { a.x = AlignNumber(v); }},
      {"alignY", [](CUIStatic&, AlignValues& a, const char* v) { a.y = AlignNumber(v); }},
      {"ellipsis", [](CUIStatic&, AlignValues& a, const char* v) { a.ellipsis = AlignNumber(v); }},
  };
  AlignValues align;
  ApplyAttributeTable(element, kAttributes, *this, align);
  m_textFormat = StaticTextFormat(align.x, align.y, align.ellipsis);
  Invalidate();
  return 1;
}

void CUIStatic::PaintBkImage(HDC hdc) {
  if (!m_bkImage.name.empty()) DrawImageSpec(hdc, m_rect, m_bkImage, m_rotation);
}

void CUIStatic::PaintText(HDC hdc) { PaintTextInColor(hdc, m_enabled ? m_textColor : m_disabledTextColor); }

void CUIStatic::PaintTextInColor(HDC hdc, COLORREF color) {
  if (m_text.empty()) return;
  RECT r = PaddedRect(m_rect, m_textPadding);
  // Padding wider than the control leaves no room; DrawTextW would clip all of it anyway.
  if (r.right <= r.left || r.bottom <= r.top) return;
  DrawControlText(hdc, text::Utf8ToWide(m_text), r, m_font, color, m_textFormat);
}

const char* CUIStatic::GetText() const { return m_text.c_str(); }

void CUIStatic::SetText(const char* text) {
  std::string old;
  old.swap(m_text);
  m_text = text ? text : "";
  Invalidate();  // does nothing without a host
  if (old != m_text) RaiseAccEvent(this, AccTextEvent());
}

DWORD CUIStatic::AccTextEvent() const {
  return m_type == kTypeRichEdit ? EVENT_OBJECT_VALUECHANGE : EVENT_OBJECT_NAMECHANGE;
}

std::string CUIStatic::GetBkImage() const { return text::WideToUtf8(m_bkImage.name); }

void CUIStatic::SetBkImage(const char* name) {
  m_bkImage.name = text::Utf8ToWide(name ? name : "");
  Invalidate();
}

void CUIStatic::Rotate(int degrees) {
  m_rotation = RotationAfter(m_rotation, degrees);
  Invalidate();
}

}  // namespace ZOV
