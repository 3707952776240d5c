// Loopback socket helpers of the link tests.
#include "LoopbackPair.h"

namespace linktest {

void StartWinsock() {
  static bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  (void)started;
}

SOCKET ListenLoopback(uint16_t* port, uint16_t fixedPort) {
  StartWinsock();
  SOCKET l = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(fixedPort);
  if (bind(l, (sockaddr*)&a, sizeof(a)) != 0 || listen(l, 64) != 0) {
    closesocket(l);
    return INVALID_SOCKET;
  }
  int len = sizeof(a);
  getsockname(l, (sockaddr*)&a, &len);
  if (port) *port = ntohs(a.sin_port);
  return l;
}

bool MakePair(SOCKET* client, SOCKET* server) {
  uint16_t port = 0;
  SOCKET l = ListenLoopback(&port);
  if (l == INVALID_SOCKET) return false;
  SOCKET c = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(port);
  bool ok = connect(c, (sockaddr*)&a, sizeof(a)) == 0;
  SOCKET s = ok ? accept(l, nullptr, nullptr) : INVALID_SOCKET;
  closesocket(l);
  if (!ok || s == INVALID_SOCKET) {
    closesocket(c);
    if (s != INVALID_SOCKET) closesocket(s);
    return false;
  }
  *client = c;
  *server = s;
  return true;
}

bool ReadExactly(SOCKET s, void* buffer, int n, DWORD timeoutMs) {
  char* p = static_cast<char*>(buffer);
  DWORD start = GetTickCount();
  while (n > 0) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    DWORD spent = GetTickCount() - start;
    if (spent >= timeoutMs) return false;
    timeval tv = {(long)((timeoutMs - spent) / 1000), (long)((timeoutMs - spent) % 1000) * 1000};
    if (select(0, &set, nullptr, nullptr, &tv) <= 0) return false;
    int got = recv(s, p, n, 0);
    if (got <= 0) return false;
    p += got;
    n -= got;
  }
  return true;
}

bool IsClosedHandle(SOCKET s) {
  int type = 0, len = sizeof(type);
  return getsockopt(s, SOL_SOCKET, SO_TYPE, (char*)&type, &len) != 0 && WSAGetLastError() == WSAENOTSOCK;
}

void CloseWithReset(SOCKET s) {
  linger l = {1, 0};
  setsockopt(s, SOL_SOCKET, SO_LINGER, (const char*)&l, sizeof(l));
  closesocket(s);
}

}  // namespace linktest
