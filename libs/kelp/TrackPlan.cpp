// Server version and the choice of device-list request: see TrackPlan.h.
#include "TrackPlan.h"

#include <stdint.h>

#include "AdbWire.h"

namespace kelp {

int ParseServerVersion(const std::string& block) {
  uint32_t value = 0;
  if (!ParseHex4(block.data(), block.size(), value)) return -1;
  return (int)value;
}

void CTrackPlan::OnVersion(int version) {
  if (version != m_version) m_shortForm = false;
  m_version = version;
}

}  // namespace kelp
