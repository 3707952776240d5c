// CUIRadioButton: a check box whose checked flag is exclusive within a named group. Groups
// span the whole process: buttons of one group may sit in different windows.
#pragma once

#include <string>

#include "UICheckBox.h"

namespace ZOV {

class CUIRadioButton : public CUICheckBox {
 public:
  CUIRadioButton();
  CUIRadioButton(const CUIRadioButton& other);  // the copy joins the group under its own entry
  ~CUIRadioButton() override;                   // leaves the group

  std::shared_ptr<CUIControl> Clone() const override;
  // The check box's attributes, then "groupid".
  int ParseAttributes(const XmlNode* element) override;
  // Arrow keys move the focus to the next (or previous) button of the group in the window,
  // in document order and wrapping, and check it as a click would.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;
  // "onclick", checking, then "onselectchanged", as a click does.
  void Click() override;

  // Checking a button of a group unchecks the other buttons of that group; repaints only
  // when the flag changes.
  void SetCheck(bool check);
  const char* GetGroupID() const { return m_groupId.c_str(); }
  // Joins the group (an empty id leaves any group). Joining never unchecks anyone.
  void SetGroupID(const char* id);
  // The checked button of this button's group (this one included), or null.
  CUIControl* GetCheckedRadionButton() const;
  // The next (or previous) reachable button of this one's group in its window; null alone.
  CUIRadioButton* NextInGroup(bool backward);

 protected:
  std::string m_groupId;
};

}  // namespace ZOV
