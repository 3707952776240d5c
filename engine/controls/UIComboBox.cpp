// CUIComboBox: the dropdown list, its popup window and the choice of a row.
#include "UIComboBox.h"

#include "AccessibleEvents.h"
#include "CallByName.h"
#include "ControlPusher.h"
#include "Engine.h"
#include "MenuWnd.h"

namespace ZOV {

namespace {

const int kMaxShownRows = 8;  // more rows scroll in the list

// The dropdown list: a release on a row ends the popup loop of its menu window with the row.
class CComboList : public CUIList {
 public:
  CComboList() = default;
  CComboList(const CComboList& other) = default;
  std::shared_ptr<CUIControl> Clone() const override { return std::make_shared<CComboList>(*this); }
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) override {
    LRESULT result = CUIList::OnMessage(msg, wParam, lParam, handled);
    auto* menu = dynamic_cast<CMenuWnd*>(m_host);
    if (msg == WM_LBUTTONUP && menu) {
      int row = RowAtPoint({(short)LOWORD(lParam), (short)HIWORD(lParam)});
      if (row >= 0) menu->EndMenu(row);
    }
    return result;
  }
};

}  // namespace

CUIComboBox::CUIComboBox() = default;  // type code of the button

CUIComboBox::CUIComboBox(const CUIComboBox& o) : CUIButton(o), m_onSelChange(o.m_onSelChange) {
  if (o.m_list) m_list = std::static_pointer_cast<CUIList>(o.m_list->Clone());
}

CUIComboBox::~CUIComboBox() = default;

std::shared_ptr<CUIControl> CUIComboBox::Clone() const { return std::make_shared<CUIComboBox>(*this); }

int CUIComboBox::ParseAttributes(const XmlNode* element) {
  if (!CUIButton::ParseAttributes(element)) return 0;
  if (const char* v = Attr(element, "onselchange")) m_onSelChange = v;
  if (!m_list) m_list = std::make_shared<CComboList>();
  m_list->ParseAttributes(element);
  if (m_list->GetControlCount() > 0)
    if (auto* first = dynamic_cast<CUIStatic*>(m_list->GetSubControl(0))) SetText(first->GetText());
  return 1;
}

LRESULT CUIComboBox::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) {
  if (msg == WM_LBUTTONUP && m_enabled) DropDown();
  bool altDown = msg == WM_SYSKEYDOWN && (wParam == VK_DOWN || wParam == VK_UP);
  bool drop = altDown || (msg == WM_KEYDOWN && wParam == VK_F4) || IsPressKey(msg, wParam, lParam);
  if (drop) {
    if (handled) *handled = true;
    Click();
  } else if (msg == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN) && m_enabled && m_list) {
    if (handled) *handled = true;
    int row = GetCurSel() + (wParam == VK_DOWN ? 1 : -1);
    if (GetCurSel() < 0) row = 0;
    if (row >= 0 && row < m_list->GetControlCount()) Choose(row);
  }
  return 0;
}

void CUIComboBox::Click() {
  if (m_enabled) DropDown();
}

void CUIComboBox::DropDown() {
  HWND owner = m_host ? m_host->GetHWND() : nullptr;
  if (!m_list || !owner) return;
  // The combo box and its list stay alive across the loop, in which a script may drop them.
  ControlPtr self = shared_from_this();
  std::shared_ptr<CUIList> list = m_list;
  int rows = (int)list->GetControlCount();
  int itemHeight = list->GetItemHeight() > 0 ? list->GetItemHeight() : m_rect.bottom - m_rect.top;
  int width = m_rect.right - m_rect.left;
  int height = itemHeight * (rows < 1 ? 1 : rows > kMaxShownRows ? kMaxShownRows : rows);
  POINT corner = {m_rect.left, m_rect.bottom};
  ::ClientToScreen(owner, &corner);

  CMenuWnd popup;
  popup.SetWindowRect(corner.x, corner.y, corner.x + width, corner.y + height);
  popup.SetRootControl(list);
  int chosen = -2;
  if (popup.Create(nullptr)) {
    list->SetPos({0, 0, width, height});
    // The list opens on the chosen row, which the arrow keys move from.
    popup.HighlightRow(list->GetSelectedRow() >= 0 ? list->GetSelectedRow() : 0);
    // Above every window, as the system's own dropdown lists are: the window the user just
    // clicked may otherwise be raised over it.
    ::SetWindowPos(popup.GetHWND(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    chosen = popup.TrackPopupMenu(corner.x, corner.y);
  }
  // The window went with the loop; the list waits for the next drop without a host.
  list->SetHostWnd(nullptr);
  if (chosen >= 0 && list == m_list) Choose(chosen);
}

void CUIComboBox::Choose(int row) {
  m_list->SelectItem(row);
  if (auto* item = dynamic_cast<CUIStatic*>(m_list->GetSubControl(row))) SetText(item->GetText());
  RaiseAccEvent(this, EVENT_OBJECT_VALUECHANGE);
  lua_State* L = CEngine::Instance().LuaState();
  if (!m_onSelChange.empty() && L)
    lua_tinker::call<void>(L, m_onSelChange.c_str(), static_cast<CUIControl*>(this), row);
}

}  // namespace ZOV
