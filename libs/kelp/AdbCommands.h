// The device commands, each on a connection of its own to the adb server: shell, push over
// the sync protocol, port forward. Safe to run on several threads at once.
#pragma once

#include <stdint.h>

#include <functional>
#include <string>

#include "SocketRegistry.h"

namespace kelp {

// Results of the commands (and of CKelpCommand's int calls); documented in kelp.h.
enum Result {
  kOk = 0,
  kErrNoDevice = -1,
  kErrNoServer = -2,
  kErrRefused = -3,
  kErrLocalFile = -4,
  kErrConnection = -5,
  kErrDevice = -6,
};

const uint32_t kDefaultShellIdleMs = 30000;

// shell:<command>; the output with "\r\n" made "\n". idleMs bounds each wait for output.
int RunShell(CSocketRegistry* registry, const std::string& serial, const std::string& command,
             std::string& output, uint32_t idleMs);

// Bytes sent so far and the file's size; called as data goes out (not for every chunk).
typedef std::function<void(int64_t done, int64_t total)> ProgressFn;

// Copies a local file (UTF-16 path) to remotePath (UTF-8) with mode 0644.
int PushFile(CSocketRegistry* registry, const std::string& serial, const std::wstring& localPath,
             const std::string& remotePath, const ProgressFn& progress, std::string* failure = nullptr);

// host-serial:<serial>:forward:tcp:<local>;tcp:<device>
int Forward(CSocketRegistry* registry, const std::string& serial, int localPort, int devicePort);

}  // namespace kelp
