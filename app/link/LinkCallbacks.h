// The callback interfaces of the network transport (the script bridge implements the first two)
// and the closer the link table closes control sockets through. Callbacks run on the
// transport's own threads, never on the UI thread.
#pragma once

#include <winsock2.h>
#include <stdint.h>

// Discovery hands over connected control sockets; slots in this order.
class IFoundCallback {
 public:
  // A connected control socket to a phone (accepted, or connected after an announcement).
  // The callback owns the socket from here on.
  virtual void OnFound(SOCKET s, uint32_t address, uint16_t port) = 0;
  // Only adds the socket to the completion server; discovery itself never calls it.
  virtual void OnAdd(SOCKET s) = 0;
};

// The completion server reports what arrives on a control socket; slots in this order.
class IIOCPCallback {
 public:
  // One completed read; the buffer is valid only during the call.
  virtual void OnReceived(SOCKET s, const unsigned char* data, int length) = 0;
  // The peer closed the connection. Returns true when the reaction has already closed the
  // handle; otherwise the server closes it, so that the handle is closed exactly once.
  virtual bool OnClosed(SOCKET s) = 0;
  // The read failed: connection reset or aborted, or the socket was closed under the read.
  // The server never closes an aborted socket.
  virtual void OnAborted(SOCKET s) = 0;
};

// Closes a control socket that may still be read. The completion server reports a socket by its
// handle value, and a freed value is soon reused for the next connection: the server keeps the
// handle open until the last report about it, so that no report can name a newer socket.
class ISocketCloser {
 public:
  // Takes the handle; it is closed now or once its read and reports are done.
  virtual void CloseSocket(SOCKET s) = 0;
};

// Closes s through closer, or at once without one; s becomes INVALID_SOCKET.
inline void CloseThrough(ISocketCloser* closer, SOCKET& s) {
  if (s == INVALID_SOCKET) return;
  if (closer) closer->CloseSocket(s);
  else closesocket(s);
  s = INVALID_SOCKET;
}
