// CUITabCtrl: a container that shows, and gives messages to, only its selected child (the
// current page). Selecting changes no child's visibility.
#pragma once

#include "UIControlContainer.h"

namespace ZOV {

class CUITabCtrl : public CUIControlContainer {
 public:
  CUITabCtrl();
  CUITabCtrl(const CUITabCtrl& other) = default;  // pages are cloned by Clone

  std::shared_ptr<CUIControl> Clone() const override;
  // The container's attributes and pages, then "select".
  int ParseAttributes(const XmlNode* element) override;
  void Paint(HDC hdc) override;
  // While the tab control has the focus, the arrow keys, Home and End select a page (and the
  // keys go to no page).
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;

  unsigned GetCurSelectIndex() const { return m_selected; }
  // The selected page; null when the index names none.
  CUIControl* GetCurSelectControl() const;
  // Selects the page at index and repaints; 0 (and no change) when there is no such page.
  int SelectItem(unsigned index);

 protected:
  void ChildRemoved(size_t index) override;

 private:
  unsigned m_selected = 0;
};

}  // namespace ZOV
