// UDP sockets: discovery datagrams, received on one socket, sent from a socket of their own.
#include "share.h"

#include <mswsock.h>

#include "SockAddr.h"

namespace ShareLib {

SOCKET UDPSocket() {
  CAutoWSA::Do();
  SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) return s;
  // Windows otherwise fails the next recvfrom with WSAECONNRESET after an earlier send was
  // answered by "port unreachable"; not every Winsock knows the option, so the result is ignored.
  BOOL report = FALSE;
  DWORD bytes = 0;
  WSAIoctl(s, SIO_UDP_CONNRESET, &report, sizeof(report), nullptr, 0, &bytes, nullptr, nullptr);
  return s;
}

bool UDPBind(SOCKET s, uint16_t port, uint32_t address) {
  sockaddr_in at = MakeSockAddr(address, port);
  return bind(s, reinterpret_cast<sockaddr*>(&at), sizeof(at)) == 0;
}

bool UDPConnect(SOCKET s, uint32_t address, uint16_t port) {
  sockaddr_in to = MakeSockAddr(address, port);
  return connect(s, reinterpret_cast<sockaddr*>(&to), sizeof(to)) == 0;
}

int UDPSend(SOCKET s, const void* data, int length) {
  if (length < 0 || (!data && length > 0)) {
    WSASetLastError(WSAEINVAL);
    return SOCKET_ERROR;
  }
  return send(s, static_cast<const char*>(data), length, 0);
}

int UDPRecvfrom(SOCKET s, void* buffer, int size, uint32_t* address, uint16_t* port) {
  if (!buffer || size <= 0) {
    WSASetLastError(WSAEINVAL);
    return SOCKET_ERROR;
  }
  for (;;) {
    sockaddr_in from;
    int length = sizeof(from);
    memset(&from, 0, sizeof(from));
    int n = recvfrom(s, static_cast<char*>(buffer), size, 0, reinterpret_cast<sockaddr*>(&from), &length);
    int error = n < 0 ? WSAGetLastError() : 0;
    // A datagram larger than the buffer arrives cut to the buffer; the caller's receive loop
    // ends on a negative result, which must mean the socket is gone, not an odd datagram.
    if (n >= 0 || error == WSAEMSGSIZE) {
      if (address) *address = from.sin_addr.s_addr;
      if (port) *port = ntohs(from.sin_port);
      return n >= 0 ? n : size;
    }
    if (error != WSAECONNRESET) return n;
  }
}

int UDPClientSend(const void* data, int length, uint32_t address, uint16_t port) {
  return UDPClientSendFrom(INADDR_ANY, data, length, address, port);
}

int UDPClientSendFrom(uint32_t from, const void* data, int length, uint32_t address, uint16_t port) {
  if (length < 0 || (!data && length > 0)) {
    WSASetLastError(WSAEINVAL);
    return SOCKET_ERROR;
  }
  CAutoWSA::Do();
  SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET) return SOCKET_ERROR;
  BOOL broadcast = TRUE;  // without it a send to a broadcast address fails with WSAEACCES
  setsockopt(s, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&broadcast), sizeof(broadcast));
  if (from != INADDR_ANY && !UDPBind(s, 0, from)) {
    int error = WSAGetLastError();
    closesocket(s);
    WSASetLastError(error);
    return SOCKET_ERROR;
  }
  sockaddr_in to = MakeSockAddr(address, port);
  int n = sendto(s, static_cast<const char*>(data), length, 0, reinterpret_cast<sockaddr*>(&to), sizeof(to));
  int error = WSAGetLastError();
  closesocket(s);
  if (n < 0) WSASetLastError(error);  // keep the send's error for GetNetError
  return n;
}

}  // namespace ShareLib
