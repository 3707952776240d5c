// Smart-socket connection: connect with a time limit, exact reads, OKAY/FAIL replies.
#include "AdbConnection.h"

#include <ws2tcpip.h>

#include "AdbWire.h"

namespace kelp {

CAdbConnection::CAdbConnection(CSocketRegistry* registry) : m_registry(registry) {}

CAdbConnection::~CAdbConnection() { Close(); }

void CAdbConnection::Close() {
  if (m_registered && m_registry) m_registry->Remove(m_socket.get());
  m_registered = false;
  m_socket.reset();
}

bool CAdbConnection::Connect(DWORD timeoutMs, uint16_t port) {
  Close();
  m_socket.reset(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (!m_socket) return false;
  if (m_registry) {
    if (!m_registry->Add(m_socket.get())) {
      m_socket.reset();
      return false;
    }
    m_registered = true;
  }
  SOCKET s = m_socket.get();
  BOOL noDelay = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof(noDelay));
  int buffer = 512 * 1024;
  setsockopt(s, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&buffer), sizeof(buffer));

  // Non-blocking connect bounded by select: a refused loopback connect can take seconds on
  // Windows.
  u_long on = 1;
  ioctlsocket(s, FIONBIO, &on);
  sockaddr_in to = {};
  to.sin_family = AF_INET;
  to.sin_port = htons(port);
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool connected = connect(s, reinterpret_cast<sockaddr*>(&to), sizeof(to)) == 0;
  if (!connected && WSAGetLastError() == WSAEWOULDBLOCK) {
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval tv = {(long)(timeoutMs / 1000), (long)((timeoutMs % 1000) * 1000)};
    connected = select(0, nullptr, &writable, &failed, &tv) == 1 && FD_ISSET(s, &writable);
    if (connected) {
      int error = 0;
      int size = sizeof(error);
      getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &size);
      connected = error == 0;
    }
  }
  u_long off = 0;
  ioctlsocket(s, FIONBIO, &off);
  if (!connected) Close();
  return connected;
}

void CAdbConnection::SetIdleTimeout(DWORD ms) {
  if (!m_socket) return;
  setsockopt(m_socket.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof(ms));
  setsockopt(m_socket.get(), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&ms), sizeof(ms));
}

bool CAdbConnection::SendAll(const void* data, size_t length) {
  if (!m_socket) return false;
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    int chunk = length > 0x40000000 ? 0x40000000 : (int)length;
    int n = send(m_socket.get(), p, chunk, 0);
    if (n <= 0) return false;
    p += n;
    length -= (size_t)n;
  }
  return true;
}

bool CAdbConnection::ReadExact(void* data, size_t length) {
  if (!m_socket) return false;
  char* p = static_cast<char*>(data);
  while (length > 0) {
    int chunk = length > 0x40000000 ? 0x40000000 : (int)length;
    int n = recv(m_socket.get(), p, chunk, 0);
    if (n <= 0) return false;  // closed, reset, timed out or interrupted
    p += n;
    length -= (size_t)n;
  }
  return true;
}

bool CAdbConnection::ReadToEnd(std::string& out) {
  if (!m_socket) return false;
  char buffer[16384];
  for (;;) {
    int n = recv(m_socket.get(), buffer, sizeof(buffer), 0);
    if (n == 0) return true;
    if (n < 0) return false;
    try {
      out.append(buffer, (size_t)n);
    } catch (...) {
      return false;
    }
  }
}

bool CAdbConnection::ReadStatus(std::string* failure) {
  m_refused = false;
  char status[4];
  if (!ReadExact(status, 4)) {
    if (failure) *failure = "no reply from the adb server";
    return false;
  }
  if (memcmp(status, "OKAY", 4) == 0) return true;
  if (memcmp(status, "FAIL", 4) == 0) {
    std::string reason;
    m_refused = ReadHexBlock(reason);
    if (!m_refused) reason = "FAIL without a reason";
    if (failure) *failure = reason;
    return false;
  }
  if (failure) *failure = "unexpected reply from the adb server";
  return false;
}

bool CAdbConnection::Request(const std::string& service, std::string* failure) {
  std::string request = EncodeRequest(service);
  if (request.empty()) {
    if (failure) *failure = "request too long";
    return false;
  }
  if (!SendAll(request)) {
    if (failure) *failure = "the adb server closed the connection";
    return false;
  }
  return ReadStatus(failure);
}

bool CAdbConnection::ReadHexBlock(std::string& out) {
  char digits[4];
  uint32_t length = 0;
  if (!ReadExact(digits, 4) || !ParseHex4(digits, 4, length)) return false;
  try {
    out.assign(length, '\0');
  } catch (...) {
    return false;
  }
  return length == 0 || ReadExact(&out[0], length);
}

}  // namespace kelp
