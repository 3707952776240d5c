// IPv4 socket addresses from the library's (network-order address, host-order port) pairs.
#pragma once

#include <winsock2.h>
#include <stdint.h>
#include <string.h>

namespace ShareLib {

inline sockaddr_in MakeSockAddr(uint32_t address, uint16_t port) {
  sockaddr_in a;
  memset(&a, 0, sizeof(a));
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = address;
  a.sin_port = htons(port);
  return a;
}

}  // namespace ShareLib
