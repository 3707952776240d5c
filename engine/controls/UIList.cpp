// CUIList: row layout under the scroll offset, row fills, hover and selection, the scroll bar's
// life cycle.
#include "UIList.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "AccessibleEvents.h"
#include "ControlDraw.h"
#include "DpiScale.h"
#include "ResourceManager.h"

namespace ZOV {

CUIList::CUIList() { m_type = kTypeList; }

CUIList::CUIList(const CUIList& o)
    : CUIControlContainer(o),
      IScrollBarListener(),
      m_itemHeight(o.m_itemHeight),
      m_selectedRow(o.m_selectedRow),
      m_hoverRow(o.m_hoverRow),
      m_selectedColor(o.m_selectedColor),
      m_hoverColor(o.m_hoverColor) {}

CUIList::~CUIList() { DropScrollBar(); }

std::shared_ptr<CUIControl> CUIList::Clone() const {
  auto copy = std::make_shared<CUIList>(*this);
  copy->CloneChildrenFrom(*this);
  return copy;
}

void CUIList::SetHostWnd(CHostWnd* host) {
  CUIControlContainer::SetHostWnd(host);
  if (m_scrollBar) m_scrollBar->SetHostWnd(host);
}

int CUIList::ParseAttributes(const XmlNode* element) {
  CUIControlContainer::ParseAttributes(element);
  if (!element) return 1;
  CResourceManager& res = CResourceManager::Instance();
  for (const XmlAttribute* a = element->first_attribute(); a; a = a->next_attribute()) {
    const char* name = a->name();
    const char* value = a->value();
    if (!std::strcmp(name, "itemheight")) {
      int h = Dpi().ToDevice(std::atoi(value));
      m_itemHeight = h < 0 ? 0 : h;  // rows upside down would hit-test and paint nowhere
    } else if (!std::strcmp(name, "itemhoverbkcolor")) {
      m_hoverColor = res.ParseColor(value);
    } else if (!std::strcmp(name, "itemselectedbkcolor")) {
      m_selectedColor = res.ParseColor(value);
    }
  }
  // The rows were added before the item height was known.
  RECT current = m_rect;
  SetRect(current);
  return 1;
}

void CUIList::SetRect(const RECT& rect) {
  m_rect = rect;
  UpdateScrollBar();
  LayoutRows(0);
  Invalidate();
}

void CUIList::ChildAdded(size_t index) {
  UpdateScrollBar();
  LayoutRows(index);
  Invalidate();
}

void CUIList::UpdateScrollBar() {
  const RECT& rect = m_rect;
  int height = rect.bottom - rect.top;
  long long content = (long long)m_children.size() * m_itemHeight;
  if (content > INT_MAX) content = INT_MAX;
  if (height >= content) {
    DropScrollBar();
    return;
  }
  if (!m_scrollBar) {
    // Not a child: it is neither found, nor hit-tested, nor removed with the rows.
    m_scrollBar.reset(new CUIScrollBar);
    m_scrollBar->SetHostWnd(m_host);
    m_scrollBar->SetListener(this);
    m_scrollBar->SetParent(this);
  }
  // 8 units wide, 1 unit inside the right edge.
  const DpiScale& dpi = Dpi();
  m_scrollBar->SetRect(
      RECT{rect.right - dpi.ToDevice(9), rect.top, rect.right - dpi.ToDevice(1), rect.bottom});
  m_scrollBar->SetRange(height, (int)content);
}

void CUIList::LayoutRows(size_t first) {
  int offset = m_scrollBar ? m_scrollBar->GetContentOffset() : 0;
  if (offset != m_layoutOffset) first = 0;
  m_layoutOffset = offset;
  const RECT& rect = m_rect;
  // Rows paint clipped to the list: one repaint of the list covers every row that moved.
  // Asking for each row's own (Place) would make a scroll step cost as much as all the rows,
  // those out of sight too.
  for (size_t b = first; b < m_children.size(); ++b) {
    CUIControl* row = m_children[b].get();
    if (!row->IsVisible()) continue;  // hidden rows keep their place in the order
    int top = (int)b * m_itemHeight - offset;
    row->SetRect(RECT{rect.left, rect.top + top, rect.right, rect.top + top + m_itemHeight});
  }
}

void CUIList::DropScrollBar() {
  if (!m_scrollBar) return;
  m_scrollBar->CancelDrag();  // the host must not keep a capture control that is gone
  m_scrollBar.reset();
}

void CUIList::Paint(HDC hdc) {
  ScopedClipRect clip(hdc, m_rect);
  CUIControl::PaintBkColor(hdc);
  for (size_t i = 0; i < m_children.size(); ++i) {
    CUIControl* row = m_children[i].get();
    if (!row->IsVisible()) continue;
    const RECT& r = row->GetRect();
    if (r.bottom <= m_rect.top || r.top >= m_rect.bottom) continue;  // scrolled out of sight
    if ((int)i == m_hoverRow) FillSolid(hdc, r, m_hoverColor);
    if ((int)i == m_selectedRow) FillSolid(hdc, r, m_selectedColor);  // over the hover fill
    row->Paint(hdc);
  }
  if (m_scrollBar) m_scrollBar->Paint(hdc);
  CUIControl::PaintBorder(hdc);
}

int CUIList::RowAtPoint(POINT pt) const {
  for (int i = (int)m_children.size() - 1; i >= 0; --i) {
    const CUIControl* row = m_children[i].get();
    if (row->IsVisible() && row->IsEnable() && PtInRect(&row->GetRect(), pt)) return i;
  }
  return -1;
}

LRESULT CUIList::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) {
  if (m_scrollBar) {
    bool byBar = false;
    LRESULT result = m_scrollBar->OnMessage(msg, wParam, lParam, &byBar);
    if (byBar) {
      // The mouse is on the bar now: the row it came from is left.
      if (msg == WM_MOUSEMOVE) {
        bool scratch = false;
        CUIControlContainer::OnMessage(WM_MOUSELEAVE, wParam, lParam, &scratch);
      }
      if (handled) *handled = true;
      return result;
    }
  }
  if (msg == WM_KEYDOWN && IsFocus()) {
    int row = RowForKey(wParam);
    if (row < 0) return 0;
    SelectItem(row);
    ScrollRowIntoView(row);
    if (handled) *handled = true;
    return 0;
  }
  bool routed = false;
  LRESULT result = CUIControlContainer::OnMessage(msg, wParam, lParam, &routed);
  if (routed) {
    if (handled) *handled = true;
    return result;
  }
  // The wheel needs no row: with a scroll bar it was handled above, without one it does nothing.
  POINT pt = {(LONG)LOWORD(lParam), (LONG)HIWORD(lParam)};
  switch (msg) {
    case WM_MOUSEMOVE: {
      int row = RowAtPoint(pt);
      if (row != m_hoverRow) {
        m_hoverRow = row;
        Invalidate();
      }
      if (handled) *handled = true;
      return 0;
    }
    case WM_LBUTTONDOWN:
      if (handled) *handled = true;
      return 0;
    case WM_LBUTTONUP: {
      int row = RowAtPoint(pt);
      if (row >= 0) SelectItem(row);
      return 0;
    }
    default:
      return 0;
  }
}

void CUIList::OnScrollChanged(int) {
  RECT current = m_rect;  // the layout reads the offset from the bar
  SetRect(current);
  Invalidate();
}

int CUIList::RemoveRow(int index) { return RemoveControlByIndex(index); }

int CUIList::SelectItem(int index) {
  if (index < 0 || index >= (int)m_children.size()) return 0;
  bool changed = m_selectedRow != index;
  m_selectedRow = index;
  Invalidate();
  if (changed) RaiseAccEvent(m_children[index].get(), EVENT_OBJECT_SELECTION);
  return 1;
}

void CUIList::SetHoverRow(int index) {
  if (index < -1 || index >= (int)m_children.size() || index == m_hoverRow) return;
  m_hoverRow = index;
  Invalidate();
}

int CUIList::RowForKey(WPARAM key) const {
  int n = (int)m_children.size();
  auto usable = [this](int i) { return m_children[i]->IsVisible() && m_children[i]->IsEnable(); };
  int page = m_itemHeight > 0 ? (m_rect.bottom - m_rect.top) / m_itemHeight : 1;
  if (page < 1) page = 1;
  int from = m_selectedRow, target, step;
  switch (key) {
    case VK_DOWN: target = from + 1; step = 1; break;
    case VK_UP: target = from < 0 ? n - 1 : from - 1; step = -1; break;
    case VK_HOME: target = 0; step = 1; break;
    case VK_END: target = n - 1; step = -1; break;
    case VK_NEXT: target = from + page; step = 1; break;
    case VK_PRIOR: target = from - page; step = -1; break;
    default: return -1;
  }
  if (target >= n) target = n - 1;
  if (target < 0) target = 0;
  // Past a hidden or disabled row in the key's direction, else back towards the start.
  for (int i = target; i >= 0 && i < n; i += step)
    if (usable(i)) return i;
  for (int i = target - step; i >= 0 && i < n; i -= step)
    if (usable(i)) return i;
  return -1;
}

void CUIList::ScrollRowIntoView(int index) {
  if (!m_scrollBar || index < 0 || index >= (int)m_children.size()) return;
  const RECT& row = m_children[index]->GetRect();
  int above = m_rect.top - row.top, below = row.bottom - m_rect.bottom;
  int content = above > 0 ? -above : below > 0 ? below : 0;
  if (content == 0) return;
  // The bar moves in track pixels: enough of them to cover the content distance.
  float ratio = m_scrollBar->GetRatio();
  int track = ratio > 0.0f ? (int)((float)content * ratio) : content;
  if (track == 0) track = content > 0 ? 1 : -1;
  m_scrollBar->ScrollBy(track);
  for (int guard = 0; guard < 4; ++guard) {  // rounding may leave a pixel or two
    const RECT& r = m_children[index]->GetRect();
    if (r.top < m_rect.top && m_scrollBar->GetPosition() > 0)
      m_scrollBar->ScrollBy(-1);
    else if (r.bottom > m_rect.bottom && m_scrollBar->GetPosition() < m_scrollBar->GetMaxPosition())
      m_scrollBar->ScrollBy(1);
    else
      break;
  }
}

void CUIList::ChildRemoved(size_t index) {
  // The hover and selected marks stay on their rows, or go with them.
  auto mend = [index](int& row) {
    if (row == (int)index)
      row = -1;
    else if (row > (int)index)
      --row;
  };
  mend(m_selectedRow);
  mend(m_hoverRow);
}

}  // namespace ZOV
