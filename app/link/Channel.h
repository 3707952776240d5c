// CChannel: one audio path to one phone port, owned by its phone link. Two ways there: a
// datagram path to the phone's network address, and a stream path through a USB forward of the
// same port to 127.0.0.1. Blocks go to the stream path when it is connected, else as datagrams.
#pragma once

#include <winsock2.h>
#include <stdint.h>

#include <ScopedWin.h>

class IPortForwarder;

class CChannel {
 public:
  static const unsigned kDatagramConnected = 1;  // bit 0
  static const unsigned kStreamConnected = 2;    // bit 1
  static const DWORD kForwardPauseMs = 80;
  // A stream write that cannot go on for this long fails, so that a vanished phone cannot
  // hold the capture thread (and with it the whole fan-out) for ever.
  static const DWORD kStreamSendTimeoutMs = 1000;

  // address: the phone's IPv4 address in network order, all ones when unknown.
  CChannel(uint32_t address, IPortForwarder* forwarder);
  virtual ~CChannel();
  CChannel(const CChannel&) = delete;
  CChannel& operator=(const CChannel&) = delete;

  // Stores the port, opens the datagram path, then connects the stream path. True when either
  // path is up.
  bool Open(uint16_t port);
  // Only with a known address other than 127.0.0.1: a new connected datagram socket.
  void OpenDatagramPath();
  // Only with a forwarder: pauses 80 ms, forwards the port and connects to it on 127.0.0.1.
  void ConnectStreamPath();
  void CloseStreamSocket();
  // Stream path: all bytes, stopping at the first failed write; else one datagram. Returns
  // length whatever the writes gave.
  int Send(const void* data, int length);

  unsigned Flags();
  uint16_t Port() const { return m_port; }
  uint32_t Address() const { return m_address; }

 private:
  uint32_t m_address;
  IPortForwarder* m_forwarder;  // not owned
  uint16_t m_port = 0;
  // Guards the sockets and flags: the capture thread sends while control-socket threads
  // close or reopen the paths.
  win::CriticalSection m_lock;
  SOCKET m_datagram = INVALID_SOCKET;  // owned
  SOCKET m_stream = INVALID_SOCKET;    // owned
  unsigned m_flags = 0;
};
