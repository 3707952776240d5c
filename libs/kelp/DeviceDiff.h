// Turns the series of full device lists that host:track-devices sends into changes: a device
// appeared, its state changed, it went away. Lists can repeat without any change.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "AdbWire.h"

namespace kelp {

struct DeviceChange {
  enum Kind { kInsert, kReady, kRemove };
  Kind kind;
  std::string serial;
  std::string description;  // kInsert: the model when known, else the serial
  int status = 0;           // kReady: DeviceStatus
};

class CDeviceDiff {
 public:
  // The changes from the previous list to this one: inserts (each followed by its readiness),
  // then state changes, then removals.
  std::vector<DeviceChange> Update(const std::vector<DeviceEntry>& list);
  // Everything known goes away (the server was lost).
  std::vector<DeviceChange> Clear();

 private:
  std::map<std::string, std::string> m_states;  // serial -> state
};

}  // namespace kelp
