// TCP sockets: overlapped, so that the program can attach them to a completion port, while
// connect, accept and send are used as ordinary blocking calls.
#include "share.h"

#include "SockAddr.h"

namespace ShareLib {

SOCKET TCPSocket(bool nonBlocking) {
  CAutoWSA::Do();
  SOCKET s = WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0, WSA_FLAG_OVERLAPPED);
  if (s == INVALID_SOCKET || !nonBlocking) return s;
  u_long on = 1;
  if (ioctlsocket(s, FIONBIO, &on) != 0) {
    int error = WSAGetLastError();
    closesocket(s);
    WSASetLastError(error);
    return INVALID_SOCKET;
  }
  return s;
}

bool TCPConnect(SOCKET s, uint32_t address, uint16_t port) {
  sockaddr_in to = MakeSockAddr(address, port);
  return connect(s, reinterpret_cast<sockaddr*>(&to), sizeof(to)) == 0;
}

bool TCPListen(SOCKET s, int backlog, uint16_t port, uint32_t address) {
  // No other socket may bind the port beside ours, not even one that asks for SO_REUSEADDR
  // (which Windows would let take over the port). Connections of an earlier run lingering in
  // TIME_WAIT do not stop the bind on Windows.
  BOOL exclusive = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&exclusive), sizeof(exclusive));
  sockaddr_in at = MakeSockAddr(address, port);
  if (bind(s, reinterpret_cast<sockaddr*>(&at), sizeof(at)) != 0) return false;
  return listen(s, backlog > 0 ? backlog : SOMAXCONN) == 0;
}

SOCKET TCPAccept(SOCKET s, uint16_t* port, uint32_t* address) {
  for (;;) {
    sockaddr_in peer;
    int length = sizeof(peer);
    SOCKET c = accept(s, reinterpret_cast<sockaddr*>(&peer), &length);
    if (c != INVALID_SOCKET) {
      if (port) *port = ntohs(peer.sin_port);
      if (address) *address = peer.sin_addr.s_addr;
      return c;
    }
    // A peer that gave up before we took its connection is no reason to stop accepting.
    if (WSAGetLastError() != WSAECONNRESET) return INVALID_SOCKET;
  }
}

int TCPSend(SOCKET s, const void* data, int length) {
  if (length < 0 || (!data && length > 0)) {
    WSASetLastError(WSAEINVAL);
    return SOCKET_ERROR;
  }
  return send(s, static_cast<const char*>(data), length, 0);
}

}  // namespace ShareLib
