// One connection to the adb server's smart socket (127.0.0.1:5037) with bounded blocking
// I/O. Used by one thread at a time; close() of the library interrupts it through the
// registry from any thread.
#pragma once

#include <winsock2.h>
#include <stdint.h>

#include <string>

#include <ScopedWin.h>

#include "SocketRegistry.h"

namespace kelp {

const uint16_t kAdbServerPort = 5037;

class CAdbConnection {
 public:
  explicit CAdbConnection(CSocketRegistry* registry);  // registry not owned; may be null
  ~CAdbConnection();
  CAdbConnection(const CAdbConnection&) = delete;
  CAdbConnection& operator=(const CAdbConnection&) = delete;

  // Connects to the server within timeoutMs. False when nothing answers.
  bool Connect(DWORD timeoutMs, uint16_t port = kAdbServerPort);
  // Limit for each single receive (0: none) and each send.
  void SetIdleTimeout(DWORD ms);

  bool SendAll(const void* data, size_t length);
  bool SendAll(const std::string& data) { return SendAll(data.data(), data.size()); }
  bool ReadExact(void* data, size_t length);
  // Everything until the peer closes; false on a reset, a timeout or an interruption.
  bool ReadToEnd(std::string& out);
  // Sends a request and reads "OKAY" (true) or "FAIL" + reason (false, reason in failure).
  bool Request(const std::string& service, std::string* failure = nullptr);
  // Reads "OKAY" or "FAIL" + reason without sending.
  bool ReadStatus(std::string* failure = nullptr);
  // The last status read was a complete FAIL with its reason: the server refused the request
  // (as opposed to a reply that broke off or made no sense).
  bool Refused() const { return m_refused; }
  // Reads hex4 + that many bytes.
  bool ReadHexBlock(std::string& out);

  SOCKET Socket() const { return m_socket.get(); }
  void Close();

 private:
  win::AutoSocket m_socket;
  CSocketRegistry* m_registry;
  bool m_registered = false;
  bool m_refused = false;
};

}  // namespace kelp
