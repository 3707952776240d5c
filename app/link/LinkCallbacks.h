// The two callback interfaces of the network transport; the script bridge implements both.
// Callbacks run on the transport's own threads, never on the UI thread.
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
