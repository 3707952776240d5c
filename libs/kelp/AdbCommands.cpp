// Shell, sync push and forward, each on its own smart-socket connection.
#include "AdbCommands.h"

#include <windows.h>

#include <vector>

#include <ScopedWin.h>

#include "AdbConnection.h"
#include "AdbWire.h"

namespace kelp {

namespace {

const DWORD kConnectTimeoutMs = 3000;
const DWORD kSyncIdleMs = 30000;
const uint32_t kSyncChunk = 64 * 1024;  // largest DATA the device accepts
const uint32_t kChunksPerSend = 16;
const uint32_t kFileMode = 0100644;     // regular file, rw-r--r--

// Connects and switches the connection to the device.
int OpenTransport(CAdbConnection& connection, const std::string& serial, std::string* failure = nullptr) {
  if (serial.empty()) return kErrNoDevice;
  if (!connection.Connect(kConnectTimeoutMs)) return kErrNoServer;
  connection.SetIdleTimeout(kSyncIdleMs);
  if (!connection.Request("host:transport:" + serial, failure)) return kErrRefused;
  return kOk;
}

// Seconds since 1970 of a file's last write.
uint32_t UnixTime(const FILETIME& ft) {
  ULARGE_INTEGER t;
  t.LowPart = ft.dwLowDateTime;
  t.HighPart = ft.dwHighDateTime;
  const uint64_t kEpoch = 116444736000000000ULL;  // 1970-01-01 in FILETIME units
  return t.QuadPart > kEpoch ? (uint32_t)((t.QuadPart - kEpoch) / 10000000ULL) : 0;
}

}  // namespace

int RunShell(CSocketRegistry* registry, const std::string& serial, const std::string& command,
             std::string& output, uint32_t idleMs) {
  output.clear();
  CAdbConnection connection(registry);
  int result = OpenTransport(connection, serial);
  if (result != kOk) return result;
  connection.SetIdleTimeout(idleMs ? idleMs : kDefaultShellIdleMs);
  if (!connection.Request("shell:" + command)) return kErrRefused;
  std::string raw;
  bool complete = connection.ReadToEnd(raw);
  output = NormalizeLineEnds(raw);
  return complete ? kOk : kErrConnection;
}

int PushFile(CSocketRegistry* registry, const std::string& serial, const std::wstring& localPath,
             const std::string& remotePath, const ProgressFn& progress, std::string* failure) {
  if (remotePath.empty() || remotePath.size() > 1000 || remotePath.find('\0') != std::string::npos)
    return kErrNoDevice;
  win::AutoFile file(CreateFileW(localPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return kErrLocalFile;
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file.get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return kErrLocalFile;
  int64_t total = ((int64_t)info.nFileSizeHigh << 32) | info.nFileSizeLow;

  CAdbConnection connection(registry);
  int result = OpenTransport(connection, serial, failure);
  if (result != kOk) return result;
  if (!connection.Request("sync:", failure)) return kErrRefused;

  std::string spec = remotePath + "," + std::to_string(kFileMode);
  if (!connection.SendAll(SyncHeader("SEND", (uint32_t)spec.size()) + spec)) return kErrConnection;

  // Several DATA messages go out in one send: under Wine every socket call is costly, and the
  // device reads the stream regardless of how it was cut.
  std::vector<char> buffer(kChunksPerSend * (8 + kSyncChunk));
  int64_t done = 0;
  if (progress) progress(0, total);
  bool atEnd = false;
  while (!atEnd) {
    size_t filled = 0;
    for (uint32_t i = 0; i < kChunksPerSend; ++i) {
      DWORD got = 0;
      if (!ReadFile(file.get(), &buffer[filled + 8], kSyncChunk, &got, nullptr)) return kErrLocalFile;
      if (got == 0) {
        atEnd = true;
        break;
      }
      std::string header = SyncHeader("DATA", got);
      memcpy(&buffer[filled], header.data(), 8);
      filled += 8 + got;
      done += got;
    }
    // The device answers only after DONE, so an early FAIL shows up as a failed send at most.
    if (filled > 0 && !connection.SendAll(&buffer[0], filled)) return kErrConnection;
    if (filled > 0 && progress) progress(done, total);
  }
  if (!connection.SendAll(SyncHeader("DONE", UnixTime(info.ftLastWriteTime)))) return kErrConnection;

  char reply[8];
  std::string id;
  uint32_t value = 0;
  if (!connection.ReadExact(reply, 8) || !ParseSyncHeader(reply, 8, id, value)) return kErrConnection;
  if (id == "FAIL") {
    std::string message(value < 4096 ? value : 4096, '\0');
    if (!message.empty() && !connection.ReadExact(&message[0], message.size())) message.clear();
    if (failure) *failure = message;
    return kErrDevice;
  }
  if (id != "OKAY") return kErrConnection;
  connection.SendAll(SyncHeader("QUIT", 0));
  return kOk;
}

int Forward(CSocketRegistry* registry, const std::string& serial, int localPort, int devicePort) {
  if (serial.empty()) return kErrNoDevice;
  if (localPort <= 0 || localPort > 65535 || devicePort <= 0 || devicePort > 65535) return kErrRefused;
  CAdbConnection connection(registry);
  if (!connection.Connect(kConnectTimeoutMs)) return kErrNoServer;
  connection.SetIdleTimeout(kSyncIdleMs);
  std::string service = "host-serial:" + serial + ":forward:tcp:" + std::to_string(localPort) +
                        ";tcp:" + std::to_string(devicePort);
  // "OKAY" once the request is taken, then "OKAY" (or "FAIL" + reason) for the outcome.
  if (!connection.Request(service)) return kErrRefused;
  if (!connection.ReadStatus()) return kErrRefused;
  return kOk;
}

}  // namespace kelp
