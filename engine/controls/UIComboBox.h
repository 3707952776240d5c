// CUIComboBox: a button that drops down a list in a popup menu window. The combo box element's
// child elements are the list's rows; choosing one shows its text on the button and tells the
// script which row it was.
#pragma once

#include <memory>
#include <string>

#include "UIButton.h"
#include "UIList.h"

namespace ZOV {

class CUIComboBox : public CUIButton {
 public:
  CUIComboBox();
  CUIComboBox(const CUIComboBox& other);  // the list and its rows are cloned
  ~CUIComboBox() override;

  std::shared_ptr<CUIControl> Clone() const override;
  // The button's attributes and "onselchange" (called with the combo box and the chosen row's
  // index); then the list reads the same element: its rows, "itemheight",
  // "itemhoverbkcolor", "itemselectedbkcolor". The button shows the first row's text.
  int ParseAttributes(const XmlNode* element) override;
  // A release of the left button drops the list below the combo box and waits until a row is
  // chosen or the list is dismissed. The button's hover and press states are not used.
  // Keys: F4, Alt+Down, Space and Enter drop the list; Up and Down choose the row before or
  // after the chosen one without dropping it.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;
  // Drops the list, as a click does.
  void Click() override;

  CUIList* GetList() const { return m_list.get(); }
  // The row chosen last; -1 before any.
  int GetCurSel() const { return m_list ? m_list->GetSelectedRow() : -1; }

 private:
  void DropDown();
  void Choose(int row);

  std::shared_ptr<CUIList> m_list;  // made on the first parse
  std::string m_onSelChange;
};

}  // namespace ZOV
