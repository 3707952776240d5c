// CUICheckBox: the checked flag, its frame in the strip and the release that flips it.
#include "UICheckBox.h"

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
      return CUIButton::OnMessage(msg, wParam, lParam, handled);
    case WM_LBUTTONUP: {
      ReleaseMouse();
      bool clicked = m_state == kStateDown;
      SetState(kStateNormal);
      // Any release that reaches the box flips it; the scripts hear of it only when the
      // press began here too.
      m_checked = !m_checked;
      if (clicked) {
        CallHandler(m_onClick);
        CallHandler(m_onSelectChanged);
      }
      return 0;
    }
    default:
      return 0;
  }
}

void CUICheckBox::SetCheck(bool check) {
  m_checked = check;
  Invalidate();
}

}  // namespace ZOV
