// A TCP listener on 127.0.0.1 for the stand-ins the device double relays to.
#pragma once

#include <winsock2.h>

inline SOCKET ListenOnLoopback(u_short port) {
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in at = {};
  at.sin_family = AF_INET;
  at.sin_port = htons(port);
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&at), sizeof(at));
  listen(s, 4);
  return s;
}
