// Device-list changes: see DeviceDiff.h.
#include "DeviceDiff.h"

#include <set>

namespace kelp {

std::vector<DeviceChange> CDeviceDiff::Update(const std::vector<DeviceEntry>& list) {
  std::vector<DeviceChange> changes;
  std::set<std::string> seen;
  for (const DeviceEntry& entry : list) {
    if (!seen.insert(entry.serial).second) continue;  // a serial listed twice counts once
    auto known = m_states.find(entry.serial);
    if (known == m_states.end()) {
      DeviceChange insert;
      insert.kind = DeviceChange::kInsert;
      insert.serial = entry.serial;
      insert.description = entry.model.empty() ? entry.serial : entry.model;
      changes.push_back(insert);
    } else if (known->second == entry.state) {
      continue;
    }
    DeviceChange ready;
    ready.kind = DeviceChange::kReady;
    ready.serial = entry.serial;
    ready.status = DeviceStatusFromState(entry.state);
    changes.push_back(ready);
    m_states[entry.serial] = entry.state;
  }
  for (auto it = m_states.begin(); it != m_states.end();) {
    if (seen.count(it->first)) {
      ++it;
      continue;
    }
    DeviceChange remove;
    remove.kind = DeviceChange::kRemove;
    remove.serial = it->first;
    changes.push_back(remove);
    it = m_states.erase(it);
  }
  return changes;
}

std::vector<DeviceChange> CDeviceDiff::Clear() { return Update(std::vector<DeviceEntry>()); }

}  // namespace kelp
