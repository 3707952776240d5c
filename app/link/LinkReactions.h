// CLinkReactions: what the program does with what arrives on a control socket and with the
// sockets discovery hands over. Pure decisions over the link table; everything else the
// reactions touch (events, streaming, the completion server, the address watch, reconnecting
// the USB link) goes through ILinkHost, so tests drive the reactions with a host of their own.
#pragma once

#include <winsock2.h>
#include <stdint.h>

class CLinkTable;
class IPortForwarder;

class ILinkHost {
 public:
  virtual ~ILinkHost() {}
  // Raises a script event with integer arguments (a, 0); posted to the UI thread.
  virtual void RaiseEvent(const char* name, int a) = 0;
  virtual void StopStreaming() = 0;
  virtual void StartAddressWatch() = 0;  // unless it runs
  virtual void StopAddressWatch() = 0;
  virtual void AddToServer(SOCKET s) = 0;
  virtual IPortForwarder* Forwarder() = 0;
  // Makes the USB control connection anew: forward 15568 and connect to it on 127.0.0.1.
  // The connected socket, or INVALID_SOCKET.
  virtual SOCKET ReconnectUsb() = 0;
};

class CLinkReactions {
 public:
  static const uint16_t kUsbControlPort = 15568;
  static const unsigned long kKeepAliveIdleMs = 20000;
  static const unsigned long kKeepAliveIntervalMs = 3000;

  CLinkReactions(CLinkTable& table, ILinkHost& host) : m_table(table), m_host(host) {}

  // One completed read: only its first message counts.
  void OnReceived(SOCKET s, const unsigned char* data, int length);
  // The peer closed; true when the handle was closed here (the server must not close it).
  bool OnClosed(SOCKET s);
  void OnAborted(SOCKET s);
  void OnFound(SOCKET s, uint32_t address, uint16_t port);

 private:
  // Removes the socket from its link and, for a USB socket, reconnects (reconnected, when
  // given, tells whether that worked). True when a link held the socket (and so closed it).
  bool DropAndReconnect(SOCKET s, bool* reconnected);

  CLinkTable& m_table;
  ILinkHost& m_host;
};

// The program's USB reconnect: forward through the forwarder, then a blocking connect.
SOCKET ConnectUsbControl(IPortForwarder* forwarder);
