// CUIList: a container whose children are rows of equal height, stacked downwards. The row
// under the mouse and the selected row get fills of their own; a vertical scroll bar appears
// while the rows don't fit and scrolls them.
#pragma once

#include <memory>

#include "UIControlContainer.h"
#include "UIScrollBar.h"

namespace ZOV {

class CUIList : public CUIControlContainer, public IScrollBarListener {
 public:
  CUIList();
  CUIList(const CUIList& other);  // rows are cloned by Clone; the scroll bar is made anew
  ~CUIList() override;

  // Never skips an unchanged rect: rows may have come or gone.
  void SetRect(const RECT& rect) override;
  std::shared_ptr<CUIControl> Clone() const override;
  void SetHostWnd(CHostWnd* host) override;
  // The container's attributes and rows, then "itemheight", "itemhoverbkcolor",
  // "itemselectedbkcolor"; then the rows are laid out with the new height.
  int ParseAttributes(const XmlNode* element) override;
  void Paint(HDC hdc) override;
  // While the list has the focus, Up, Down, Home, End, Page Up and Page Down select a row and
  // scroll it into view.
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override;
  void OnScrollChanged(int contentOffset) override;

  // Removes the row at index; 1 when there was one, 0 otherwise.
  int RemoveRow(int index);
  // Makes the row at index the selected one and repaints; 0 (and no change) when there is no
  // such row.
  int SelectItem(int index);
  // Marks the row at index as the one under the pointer (-1: none) and repaints; popup menus
  // show the keyboard's row with it.
  void SetHoverRow(int index);
  // Scrolls the least distance that shows the whole row.
  void ScrollRowIntoView(int index);
  int GetSelectedRow() const { return m_selectedRow; }
  int GetHoverRow() const { return m_hoverRow; }
  int GetItemHeight() const { return m_itemHeight; }
  COLORREF GetHoverRowColor() const { return m_hoverColor; }
  COLORREF GetSelectedRowColor() const { return m_selectedColor; }
  CUIScrollBar* GetScrollBar() const { return m_scrollBar.get(); }

 protected:
  void ChildRemoved(size_t index) override;
  // A row added at the end moves no other row unless the scroll offset changed with the range:
  // building a list of n rows lays out n rows, not n² / 2.
  void ChildAdded(size_t index) override;
  // Index of the topmost visible, enabled row containing pt; -1 when none.
  int RowAtPoint(POINT pt) const;
  // The row a navigation key leads to from the selected one: the nearest shown, enabled row
  // in the key's direction; -1 for other keys or when there is none.
  int RowForKey(WPARAM key) const;

 private:
  void DropScrollBar();
  // Creates, resizes or drops the scroll bar for the current rect and row count.
  void UpdateScrollBar();
  // Places the rows from first on under the scroll offset (all of them when the offset moved
  // since the last layout).
  void LayoutRows(size_t first);

  std::unique_ptr<CUIScrollBar> m_scrollBar;  // only while the rows don't fit
  int m_itemHeight = 0;
  int m_selectedRow = -1;  // index, -1 for none
  int m_hoverRow = -1;     // index, -1 for none
  int m_layoutOffset = 0;  // scroll offset the rows were last placed under
  COLORREF m_selectedColor = 0x010101;
  COLORREF m_hoverColor = 0x010101;
};

}  // namespace ZOV
