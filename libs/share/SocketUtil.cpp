// Socket helpers: closing, keep-alive, peer address and the last error for diagnostics.
#include "share.h"

#include <mstcpip.h>

namespace ShareLib {

void CloseSocket(SOCKET& s) {
  if (s == INVALID_SOCKET) return;
  // Closing also wakes a thread blocked on the socket in accept or recvfrom: that call fails,
  // which is how the program's network threads are told to end.
  closesocket(s);
  s = INVALID_SOCKET;
}

bool SetKeepAlive(SOCKET s, unsigned long idleMs, unsigned long intervalMs) {
  tcp_keepalive values;
  values.onoff = 1;
  values.keepalivetime = idleMs;
  values.keepaliveinterval = intervalMs;
  DWORD bytes = 0;
  return WSAIoctl(s, SIO_KEEPALIVE_VALS, &values, sizeof(values), nullptr, 0, &bytes, nullptr, nullptr) == 0;
}

uint32_t GetSocketRemoteIP(SOCKET s) {
  sockaddr_in peer;
  int length = sizeof(peer);
  memset(&peer, 0, sizeof(peer));
  if (getpeername(s, reinterpret_cast<sockaddr*>(&peer), &length) != 0 || peer.sin_family != AF_INET)
    return 0;
  return peer.sin_addr.s_addr;
}

int GetNetError() { return WSAGetLastError(); }

std::string GetNetErrorStr() {
  int error = WSAGetLastError();
  char text[512];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                           text, sizeof(text), nullptr);
  while (n > 0 && (text[n - 1] == '\r' || text[n - 1] == '\n' || text[n - 1] == ' ')) --n;
  if (n == 0) n = _snprintf(text, sizeof(text), "socket error %d", error);
  try {
    return std::string(text, n);
  } catch (...) {
    return std::string();
  }
}

}  // namespace ShareLib
