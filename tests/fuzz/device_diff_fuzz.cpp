// The track-devices stream: lists separated by zero bytes, each diffed against the one
// before. Every known device must go away again on Clear.
#include <stdint.h>
#include <stdlib.h>

#include <set>
#include <string>

#include "DeviceDiff.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kelp::CDeviceDiff diff;
  std::set<std::string> known;
  std::string all(reinterpret_cast<const char*>(data), size);
  size_t at = 0;
  for (;;) {
    size_t end = all.find('\0', at);
    std::string list = all.substr(at, end == std::string::npos ? std::string::npos : end - at);
    for (const kelp::DeviceChange& c : diff.Update(kelp::ParseDeviceList(list))) {
      if (c.kind == kelp::DeviceChange::kInsert && !known.insert(c.serial).second) abort();
      if (c.kind == kelp::DeviceChange::kRemove && !known.erase(c.serial)) abort();
    }
    if (end == std::string::npos) break;
    at = end + 1;
  }
  for (const kelp::DeviceChange& c : diff.Clear())
    if (c.kind != kelp::DeviceChange::kRemove || !known.erase(c.serial)) abort();
  if (!known.empty()) abort();
  return 0;
}
