// CUICheckBox: a button with a checked flag that flips on every release and a second script
// notification after a click. Its status strip has eight frames: the four states checked,
// then the four states unchecked.
#pragma once

#include <string>

#include "UIButton.h"

namespace ZOV {

class CUICheckBox : public CUIButton {
 public:
  CUICheckBox();
  CUICheckBox(const CUICheckBox& other) = default;  // used by Clone

  std::shared_ptr<CUIControl> Clone() const override;
  // The button's attributes, then "onselectchanged".
  int ParseAttributes(const XmlNode* element) override;
  void PaintStatusImage(HDC hdc) override;
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;
  // Flips the flag, then "onclick" and "onselectchanged", as a click does.
  void Click() override;

  bool IsCheck() const { return m_checked; }
  // Stores the flag and repaints; no script function is called.
  void SetCheck(bool check);

 protected:
  bool m_checked = false;
  std::string m_onSelectChanged;
};

}  // namespace ZOV
