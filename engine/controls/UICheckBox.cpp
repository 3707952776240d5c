// CUICheckBox: the checked flag, its frame in the strip and the release that flips it.
#include "UICheckBox.h"

#include "AccessibleEvents.h"
#include "XmlAttr.h"

namespace ZOV {

CUICheckBox::CUICheckBox() {
  m_type = kTypeCheckBox;
  m_statusImage.columns = 8;
}

std::shared_ptr<CUIControl> CUICheckBox::Clone() const { return std::make_shared<CUICheckBox>(*this); }

int CUICheckBox::ParseAttributes(const XmlNode* element) {
  if (!CUIButton::ParseAttributes(element)) return 0;
  // The last one, as with every other attribute.
  if (const XmlAttribute* a = element->last_attribute("onselectchanged")) m_onSelectChanged = a->value();
  return 1;
}

void CUICheckBox::PaintStatusImage(HDC hdc) {
  int state = ShownState();
  PaintStatusFrame(hdc, m_checked ? state : state + 4);
}

LRESULT CUICheckBox::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) {
  switch (msg) {
    case WM_NCHITTEST:
    case WM_MOUSEHOVER:
    case WM_MOUSELEAVE:
    case WM_LBUTTONDOWN:
    case WM_KEYDOWN:
      return CUIButton::OnMessage(msg, wParam, lParam, handled);
    case WM_LBUTTONUP: {
      ReleaseMouse();
      bool clicked = m_state == kStateDown;
      SetState(kStateNormal);
      // Any release that reaches the box flips it; the scripts hear of it only when the
      // press began here too.
      if (clicked)
        Click();
      else
        SetCheck(!m_checked);
      return 0;
    }
    default:
      return 0;
  }
}

void CUICheckBox::SetCheck(bool check) {
  bool changed = m_checked != check;
  m_checked = check;
  Invalidate();
  if (changed) RaiseAccEvent(this, EVENT_OBJECT_STATECHANGE);
}

void CUICheckBox::Click() {
  if (!m_enabled) return;
  ControlPtr self = shared_from_this();
  SetCheck(!m_checked);
  CallHandler(m_onClick);
  CallHandler(m_onSelectChanged);
}

}  // namespace ZOV
