// Event child ids of controls and the accessible objects clients hold for them. UI thread
// only, so not locked. Made once and never destroyed: controls destroyed during static
// destruction still leave it safely.
#include "AccessibleEvents.h"

#include <unordered_map>
#include <vector>

#include "AccessibleObject.h"
#include "HostWnd.h"
#include "UIControlContainer.h"

namespace ZOV {

namespace {

struct Registry {
  std::unordered_map<CUIControl*, LONG> ids;
  std::unordered_map<LONG, CUIControl*> byId;
  std::unordered_multimap<CUIControl*, CAccessibleControl*> objects;
  LONG lastId = 0;
};

Registry& Reg() {
  static auto* registry = new Registry;
  return *registry;
}

void Disconnect(CUIControl* control) {
  auto range = Reg().objects.equal_range(control);
  for (auto it = range.first; it != range.second; ++it) it->second->Disconnect();
  Reg().objects.erase(control);
}

}  // namespace

LONG AccEventChildId(CUIControl* control) {
  Registry& r = Reg();
  auto it = r.ids.find(control);
  if (it != r.ids.end()) return it->second;
  // Counts down from -1; after two thousand million ids it would wrap into the positive
  // child ids, so it starts again below the ids still in use.
  LONG id = r.lastId <= -0x7FFFFFF0 ? -1 : r.lastId - 1;
  while (r.byId.count(id)) --id;
  r.lastId = id;
  r.ids[control] = id;
  r.byId[id] = control;
  return id;
}

CUIControl* AccControlFromEventId(LONG id) {
  auto it = Reg().byId.find(id);
  return it == Reg().byId.end() ? nullptr : it->second;
}

void RaiseAccEvent(CUIControl* control, DWORD event) {
  CHostWnd* host = control ? control->GetHostWnd() : nullptr;
  HWND hwnd = host ? host->GetHWND() : nullptr;
  if (!hwnd || !::IsWinEventHookInstalled(event)) return;
  LONG child = host->GetRootControl() == control ? CHILDID_SELF : AccEventChildId(control);
  ::NotifyWinEvent(event, hwnd, OBJID_CLIENT, child);
}

void ForgetAccessible(CUIControl* control) {
  Registry& r = Reg();
  auto it = r.ids.find(control);
  if (it != r.ids.end()) {
    r.byId.erase(it->second);
    r.ids.erase(it);
  }
  if (!r.objects.empty()) Disconnect(control);
}

void DisconnectAccessibleSubtree(CUIControl* root) {
  if (!root || Reg().objects.empty()) return;
  std::vector<CUIControl*> stack{root};
  while (!stack.empty()) {
    CUIControl* c = stack.back();
    stack.pop_back();
    Disconnect(c);
    if (CUIControlContainer* box = c->AsContainer())
      for (int i = 0; i < box->GetControlCount(); ++i) stack.push_back(box->GetSubControl(i));
  }
}

void RegisterAccessibleObject(CUIControl* control, CAccessibleControl* object) {
  Reg().objects.emplace(control, object);
}

void UnregisterAccessibleObject(CUIControl* control, CAccessibleControl* object) {
  auto range = Reg().objects.equal_range(control);
  for (auto it = range.first; it != range.second; ++it)
    if (it->second == object) {
      Reg().objects.erase(it);
      return;
    }
}

}  // namespace ZOV
