// Tab stops, visibility and hit testing over a control tree, for the keyboard and for
// assistive technology.
#include "FocusOrder.h"

#include "UIControlContainer.h"
#include "UITabCtrl.h"

namespace ZOV {

namespace {

bool IsHiddenPage(const CUIControl* control) {
  auto* tab = dynamic_cast<const CUITabCtrl*>(control->GetParent());
  return tab && tab->GetCurSelectControl() != control;
}

// Explicit stack: a skin may nest containers a thousand deep.
template <typename Visit>
void WalkShown(CUIControl* root, Visit visit) {
  std::vector<CUIControl*> stack{root};
  while (!stack.empty()) {
    CUIControl* c = stack.back();
    stack.pop_back();
    if (!c->IsVisible() || !c->IsEnable()) continue;
    visit(c);
    CUIControlContainer* box = c->AsContainer();
    if (!box) continue;
    if (auto* tab = dynamic_cast<CUITabCtrl*>(c)) {
      if (CUIControl* page = tab->GetCurSelectControl()) stack.push_back(page);
      continue;
    }
    for (int i = box->GetControlCount(); i-- > 0;) stack.push_back(box->GetSubControl(i));
  }
}

}  // namespace

bool IsTabStopType(const CUIControl* control) {
  if (!control) return false;
  int setting = control->GetTabStopSetting();
  if (setting != CUIControl::kTabStopByType) return setting != 0;
  switch (control->GetType()) {
    case kTypeButton:
    case kTypeEdit:
    case kTypeCheckBox:
    case kTypeRadioButton:
    case kTypeTabCtrl:
    case kTypeList:
    case kTypeRichEdit:
      return true;
    default:
      return false;
  }
}

bool IsShown(const CUIControl* control) {
  for (const CUIControl* c = control; c; c = c->GetParent())
    if (!c->IsVisible() || IsHiddenPage(c)) return false;
  return control != nullptr;
}

bool IsEffectivelyEnabled(const CUIControl* control) {
  for (const CUIControl* c = control; c; c = c->GetParent())
    if (!c->IsEnable()) return false;
  return control != nullptr;
}

bool IsReachableStop(const CUIControl* control) {
  if (!IsTabStopType(control) || !IsShown(control) || !IsEffectivelyEnabled(control)) return false;
  const RECT& r = control->GetRect();
  return r.right > r.left && r.bottom > r.top;  // a stop of no size cannot show its cue
}

void CollectTabStops(CUIControl* root, std::vector<CUIControl*>& stops) {
  if (!root || !IsShown(root) || !IsEffectivelyEnabled(root)) return;
  WalkShown(root, [&stops](CUIControl* c) {
    const RECT& r = c->GetRect();
    if (IsTabStopType(c) && r.right > r.left && r.bottom > r.top) stops.push_back(c);
  });
}

CUIControl* NextTabStop(CUIControl* root, CUIControl* current, bool backward) {
  std::vector<CUIControl*> stops;
  CollectTabStops(root, stops);
  if (stops.empty()) return nullptr;
  int n = (int)stops.size(), at = -1;
  for (int i = 0; i < n; ++i)
    if (stops[i] == current) at = i;
  if (at < 0) return backward ? stops[n - 1] : stops[0];
  return stops[(at + (backward ? n - 1 : 1)) % n];
}

CUIControl* DeepestControlAt(CUIControl* root, POINT pt, bool enabledOnly) {
  if (!root || !root->IsVisible() || !PtInRect(&root->GetRect(), pt)) return nullptr;
  if (enabledOnly && !root->IsEnable()) return nullptr;
  CUIControl* found = root;
  for (;;) {
    CUIControlContainer* box = found->AsContainer();
    if (!box) return found;
    CUIControl* next = nullptr;
    if (auto* tab = dynamic_cast<CUITabCtrl*>(found)) {
      CUIControl* page = tab->GetCurSelectControl();
      if (page && page->IsVisible() && (!enabledOnly || page->IsEnable()) && PtInRect(&page->GetRect(), pt))
        next = page;
    } else {
      for (int i = box->GetControlCount(); i-- > 0 && !next;) {
        CUIControl* c = box->GetSubControl(i);
        if (c->IsVisible() && (!enabledOnly || c->IsEnable()) && PtInRect(&c->GetRect(), pt)) next = c;
      }
    }
    if (!next) return found;
    found = next;
  }
}

int AccChildCount(CUIControl* control) {
  CUIControlContainer* box = control ? control->AsContainer() : nullptr;
  return box ? box->GetControlCount() : 0;
}

CUIControl* AccChildAt(CUIControl* control, int index) {
  CUIControlContainer* box = control ? control->AsContainer() : nullptr;
  return box ? box->GetSubControl(index) : nullptr;
}

int AccIndexInParent(CUIControl* control) {
  CUIControlContainer* parent = control ? control->GetParent() : nullptr;
  if (!parent) return -1;
  for (int i = 0; i < parent->GetControlCount(); ++i)
    if (parent->GetSubControl(i) == control) return i;
  return -1;
}

bool IsInSubtree(CUIControl* root, const CUIControl* control) {
  if (!root || !control) return false;
  std::vector<CUIControl*> stack{root};
  while (!stack.empty()) {
    CUIControl* c = stack.back();
    stack.pop_back();
    if (c == control) return true;
    if (CUIControlContainer* box = c->AsContainer())
      for (int i = 0; i < box->GetControlCount(); ++i) stack.push_back(box->GetSubControl(i));
  }
  return false;
}

}  // namespace ZOV
