// Names, roles, states, values and default actions of controls.
#include "AccessibleInfo.h"

#include <oleacc.h>

#include <cstdio>

#include "FocusOrder.h"
#include "HostWnd.h"
#include "MenuWnd.h"
#include "TextConv.h"
#include "UIButton.h"
#include "UICheckBox.h"
#include "UIComboBox.h"
#include "UIEdit.h"
#include "UIList.h"
#include "UIMenuItem.h"
#include "UIProgressBar.h"
#include "UIRadioButton.h"
#include "UIRichEdit.h"
#include "UITabCtrl.h"

namespace ZOV {

namespace {

bool IsListRow(const CUIControl* c) { return dynamic_cast<const CUIList*>(c->GetParent()) != nullptr; }
bool IsTabPage(const CUIControl* c) { return dynamic_cast<const CUITabCtrl*>(c->GetParent()) != nullptr; }
bool IsEditLike(const CUIControl* c) { return c->GetType() == kTypeEdit || c->GetType() == kTypeRichEdit; }

// Texts shown inside a row (and the values of its progress bars), in document order; the
// joined name stops growing at a screenful.
void JoinShownTexts(const CUIControl* c, std::wstring& out) {
  const size_t kMaxJoined = 4096;
  std::vector<const CUIControl*> stack{c};
  while (!stack.empty() && out.size() < kMaxJoined) {
    const CUIControl* at = stack.back();
    stack.pop_back();
    if (!at->IsVisible()) continue;
    std::wstring own;
    if (!at->GetAccName().empty())
      own = text::Utf8ToWide(at->GetAccName());
    else if (at->GetType() == kTypeProgressBar)
      AccValue(at, own);
    else if (auto* s = dynamic_cast<const CUIStatic*>(at); s && !IsEditLike(at))
      own = text::Utf8ToWide(s->GetText());
    if (!own.empty()) {
      if (!out.empty()) out += L", ";
      out += own;
      if (at != c) continue;  // a named part speaks for what it contains
    }
    if (auto* box = const_cast<CUIControl*>(at)->AsContainer())
      for (int i = box->GetControlCount(); i-- > 0;) stack.push_back(box->GetSubControl(i));
  }
}

}  // namespace

std::wstring AccName(const CUIControl* c) {
  if (!c) return std::wstring();
  if (!c->GetAccName().empty()) return text::Utf8ToWide(c->GetAccName());
  bool textIsValue = IsEditLike(c) || dynamic_cast<const CUIComboBox*>(c);
  if (auto* s = dynamic_cast<const CUIStatic*>(c); s && !textIsValue && *s->GetText())
    return text::Utf8ToWide(s->GetText());
  if (auto* b = dynamic_cast<const CUIButton*>(c); b && *b->GetTooltip()) return text::Utf8ToWide(b->GetTooltip());
  std::wstring joined;
  if (const_cast<CUIControl*>(c)->AsContainer() == nullptr) return joined;
  if (IsListRow(c) || IsTabPage(c)) JoinShownTexts(c, joined);
  return joined;
}

long AccRole(const CUIControl* c, bool client) {
  if (!c) return ROLE_SYSTEM_CLIENT;
  if (IsListRow(c)) {
    auto* list = c->GetParent();
    CHostWnd* host = c->GetHostWnd();
    bool menu = host && host->GetRootControl() == list && dynamic_cast<const CUIMenuItem*>(c);
    return menu ? ROLE_SYSTEM_MENUITEM : ROLE_SYSTEM_LISTITEM;
  }
  if (IsTabPage(c)) return ROLE_SYSTEM_PAGETAB;
  if (dynamic_cast<const CUIMenuItem*>(c)) return ROLE_SYSTEM_MENUITEM;
  if (dynamic_cast<const CUIComboBox*>(c)) return ROLE_SYSTEM_COMBOBOX;
  switch (c->GetType()) {
    case kTypeButton: return ROLE_SYSTEM_PUSHBUTTON;
    case kTypeCheckBox: return ROLE_SYSTEM_CHECKBUTTON;
    case kTypeRadioButton: return ROLE_SYSTEM_RADIOBUTTON;
    case kTypeEdit:
    case kTypeRichEdit: return ROLE_SYSTEM_TEXT;
    case kTypeProgressBar: return ROLE_SYSTEM_PROGRESSBAR;
    case kTypeTabCtrl: return ROLE_SYSTEM_PAGETABLIST;
    case kTypeScrollBar: return ROLE_SYSTEM_SCROLLBAR;
    case kTypeList: {
      CHostWnd* host = c->GetHostWnd();
      bool menu = host && host->GetRootControl() == c && dynamic_cast<CMenuWnd*>(host);
      return menu ? ROLE_SYSTEM_MENUPOPUP : ROLE_SYSTEM_LIST;
    }
    case kTypeStatic: {
      auto* s = static_cast<const CUIStatic*>(c);
      return *s->GetText() ? ROLE_SYSTEM_STATICTEXT : ROLE_SYSTEM_GRAPHIC;
    }
    default: return client ? ROLE_SYSTEM_CLIENT : ROLE_SYSTEM_GROUPING;
  }
}

long AccState(const CUIControl* c, bool windowFocused) {
  if (!c) return STATE_SYSTEM_UNAVAILABLE;
  long state = 0;
  if (!IsShown(c)) state |= STATE_SYSTEM_INVISIBLE;
  if (!IsEffectivelyEnabled(c)) state |= STATE_SYSTEM_UNAVAILABLE;
  if (IsTabStopType(c)) state |= STATE_SYSTEM_FOCUSABLE;
  if (c->IsFocus() && windowFocused) state |= STATE_SYSTEM_FOCUSED;
  if (auto* b = dynamic_cast<const CUIButton*>(c)) {
    if (b->GetState() == kStateDown) state |= STATE_SYSTEM_PRESSED;
    if (b->GetState() == kStateHover) state |= STATE_SYSTEM_HOTTRACKED;
  }
  if (auto* box = dynamic_cast<const CUICheckBox*>(c); box && box->IsCheck()) state |= STATE_SYSTEM_CHECKED;
  if (auto* item = dynamic_cast<const CUIMenuItem*>(c); item && *item->GetSubmenu()) state |= STATE_SYSTEM_HASPOPUP;
  if (dynamic_cast<const CUIComboBox*>(c)) state |= STATE_SYSTEM_HASPOPUP;
  if (c->GetType() == kTypeStatic || c->GetType() == kTypeProgressBar) state |= STATE_SYSTEM_READONLY;
  if (auto* list = dynamic_cast<const CUIList*>(c->GetParent())) {
    state |= STATE_SYSTEM_SELECTABLE;
    if (list->GetSelectedRow() == AccIndexInParent(const_cast<CUIControl*>(c))) state |= STATE_SYSTEM_SELECTED;
    RECT seen;
    if (!IntersectRect(&seen, &c->GetRect(), &list->GetRect())) state |= STATE_SYSTEM_OFFSCREEN;
  }
  if (auto* tab = dynamic_cast<const CUITabCtrl*>(c->GetParent())) {
    state |= STATE_SYSTEM_SELECTABLE;
    if (tab->GetCurSelectControl() == c) state |= STATE_SYSTEM_SELECTED;
  }
  return state;
}

bool AccValue(const CUIControl* c, std::wstring& value) {
  if (auto* bar = dynamic_cast<const CUIProgressBar*>(c)) {
    long long span = (long long)bar->GetMax() - bar->GetMin();
    long long pct = span > 0 ? ((long long)bar->GetValue() - bar->GetMin()) * 100 / span : 0;
    if (pct < 0) pct = 0;
    if (pct > 100) pct = 100;
    value = std::to_wstring(pct) + L"%";
    return true;
  }
  if (auto* edit = dynamic_cast<const CUIEdit*>(c)) {
    value = text::Utf8ToWide(edit->GetText());
    return true;
  }
  if (c && (c->GetType() == kTypeRichEdit || dynamic_cast<const CUIComboBox*>(c))) {
    value = text::Utf8ToWide(static_cast<const CUIStatic*>(c)->GetText());
    return true;
  }
  return false;
}

const wchar_t* AccDefaultAction(const CUIControl* c) {
  if (!c) return nullptr;
  if (IsTabPage(c)) return L"Select";
  if (auto* item = dynamic_cast<const CUIMenuItem*>(c)) return *item->GetSubmenu() ? L"Open" : L"Press";
  if (IsListRow(c) && !dynamic_cast<const CUIButton*>(c)) return L"Select";
  if (dynamic_cast<const CUIComboBox*>(c)) return L"Open";
  if (auto* radio = dynamic_cast<const CUIRadioButton*>(c)) return radio->IsCheck() ? nullptr : L"Check";
  if (auto* box = dynamic_cast<const CUICheckBox*>(c)) return box->IsCheck() ? L"Uncheck" : L"Check";
  if (dynamic_cast<const CUIButton*>(c)) return L"Press";
  return nullptr;
}

bool DoAccDefaultAction(CUIControl* c) {
  if (!AccDefaultAction(c) || !IsEffectivelyEnabled(c)) return false;
  ControlPtr keep = c->shared_from_this();  // a handler may remove it
  int index = AccIndexInParent(c);
  if (auto* tab = dynamic_cast<CUITabCtrl*>(c->GetParent())) return tab->SelectItem((unsigned)index) != 0;
  if (auto* b = dynamic_cast<CUIButton*>(c)) {
    b->Click();
    return true;
  }
  if (auto* list = dynamic_cast<CUIList*>(c->GetParent())) return list->SelectItem(index) != 0;
  return false;
}

}  // namespace ZOV
