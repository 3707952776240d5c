// CUIRadioButton and the process-wide registry of radio groups.
#include "UIRadioButton.h"

#include <unordered_map>
#include <vector>

#include "AccessibleEvents.h"
#include "FocusOrder.h"
#include "HostWnd.h"
#include "XmlAttr.h"

namespace ZOV {

namespace {

// Every radio button with a group, and its group id. UI thread only, so not locked. Made
// once and never destroyed: buttons that outlive static destruction (the builder's, at
// library unload) still leave it safely.
std::unordered_map<CUIRadioButton*, std::string>& Groups() {
  static auto* groups = new std::unordered_map<CUIRadioButton*, std::string>;
  return *groups;
}

}  // namespace

CUIRadioButton::CUIRadioButton() { m_type = kTypeRadioButton; }

CUIRadioButton::CUIRadioButton(const CUIRadioButton& o) : CUICheckBox(o) { SetGroupID(o.m_groupId.c_str()); }

CUIRadioButton::~CUIRadioButton() { Groups().erase(this); }

std::shared_ptr<CUIControl> CUIRadioButton::Clone() const { return std::make_shared<CUIRadioButton>(*this); }

int CUIRadioButton::ParseAttributes(const XmlNode* element) {
  if (!CUICheckBox::ParseAttributes(element)) return 0;
  if (const XmlAttribute* a = element->last_attribute("groupid")) SetGroupID(a->value());
  return 1;
}

LRESULT CUIRadioButton::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, bool* handled) {
  if (msg == WM_KEYDOWN && (wParam == VK_LEFT || wParam == VK_UP || wParam == VK_RIGHT || wParam == VK_DOWN)) {
    if (handled) *handled = true;
    CUIRadioButton* next = NextInGroup(wParam == VK_LEFT || wParam == VK_UP);
    if (next && m_host) {
      ControlPtr keep = next->shared_from_this();
      m_host->MoveFocus(next);
      next->Click();
    }
    return 0;
  }
  if (msg != WM_LBUTTONUP) return CUICheckBox::OnMessage(msg, wParam, lParam, handled);
  ReleaseMouse();
  bool clicked = m_state == kStateDown;
  SetState(kStateNormal);
  if (clicked)
    Click();
  else
    SetCheck(true);
  return 0;
}

void CUIRadioButton::Click() {
  if (!m_enabled) return;
  ControlPtr self = shared_from_this();
  CallHandler(m_onClick);
  SetCheck(true);
  CallHandler(m_onSelectChanged);
}

CUIRadioButton* CUIRadioButton::NextInGroup(bool backward) {
  if (m_groupId.empty() || !m_host || !m_host->GetRootControl()) return nullptr;
  // The group's reachable buttons of this window in document order, this one included.
  std::vector<CUIControl*> stops;
  CollectTabStops(m_host->GetRootControl(), stops);
  std::vector<CUIRadioButton*> group;
  for (CUIControl* c : stops) {
    auto* radio = dynamic_cast<CUIRadioButton*>(c);
    if (radio && (radio == this || radio->m_groupId == m_groupId)) group.push_back(radio);
  }
  int n = (int)group.size();
  for (int i = 0; i < n; ++i)
    if (group[i] == this) return n > 1 ? group[(i + (backward ? n - 1 : 1)) % n] : nullptr;
  return nullptr;
}

void CUIRadioButton::SetCheck(bool check) {
  if (check == m_checked) return;
  m_checked = check;
  RaiseAccEvent(this, EVENT_OBJECT_STATECHANGE);
  auto& groups = Groups();
  if (check && !m_groupId.empty()) {  // a button with a group is always in the registry
    // Collected first: unchecking may repaint and reach code that changes the registry.
    std::vector<CUIRadioButton*> others;
    for (const auto& entry : groups)
      if (entry.first != this && entry.second == m_groupId) others.push_back(entry.first);
    for (CUIRadioButton* other : others)
      if (groups.count(other)) other->SetCheck(false);
  }
  Invalidate();
}

void CUIRadioButton::SetGroupID(const char* id) {
  if (!id) return;
  m_groupId = id;
  // A button without a group is in no one's way: it leaves the registry rather than staying
  // there under its old group.
  if (m_groupId.empty())
    Groups().erase(this);
  else
    Groups()[this] = m_groupId;
}

CUIControl* CUIRadioButton::GetCheckedRadionButton() const {
  if (m_groupId.empty()) return nullptr;
  for (const auto& entry : Groups())
    if (entry.second == m_groupId && entry.first->IsCheck()) return entry.first;
  return nullptr;
}

}  // namespace ZOV
