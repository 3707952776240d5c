// The adb server's replies: device lists, sync headers, hex lengths, shell output. The first
// byte picks the reader, the rest is the reply.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "AdbWire.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 4) {
    case 0: {
      for (const kelp::DeviceEntry& e : kelp::ParseDeviceList(text)) {
        if (e.serial.empty()) abort();
        kelp::DeviceStatusFromState(e.state);
      }
      break;
    }
    case 1: {
      std::string id;
      uint32_t value = 0;
      if (kelp::ParseSyncHeader(text.data(), text.size(), id, value) &&
          kelp::SyncHeader(id.c_str(), value) != text)
        abort();
      uint32_t length = 0;
      kelp::ParseHex4(text.data(), text.size(), length);
      break;
    }
    case 2: {
      std::string flat = kelp::NormalizeLineEnds(text);
      if (flat.find("\r\n") != std::string::npos) abort();
      kelp::IsInstallSuccess(flat);
      kelp::IsActivityStarted(flat);
      kelp::HasLineStartingWith(flat, "Error");
      break;
    }
    default: {
      kelp::BaseName(text);
      kelp::ShellQuote(text);
      std::string request = kelp::EncodeRequest(text);
      uint32_t length = 0;
      if (!request.empty() && (!kelp::ParseHex4(request.data(), 4, length) || length != text.size())) abort();
      if (text.size() >= 16) {
        int64_t done, total;
        memcpy(&done, text.data(), 8);
        memcpy(&total, text.data() + 8, 8);
        int d = 0, t = 0;
        kelp::ScaleProgress(done, total, d, t);
      }
      break;
    }
  }
  return 0;
}
