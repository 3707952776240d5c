// Audio channel to one phone port.
#include "Channel.h"

#include "PortForwarder.h"
#include "share.h"

namespace {
const uint32_t kLoopback = 0x0100007F;  // 127.0.0.1 in network order
}

CChannel::CChannel(uint32_t address, IPortForwarder* forwarder) : m_address(address), m_forwarder(forwarder) {}

CChannel::~CChannel() {
  win::ScopedLock hold(m_lock);
  ShareLib::CloseSocket(m_datagram);
  ShareLib::CloseSocket(m_stream);
  m_flags = 0;
}

bool CChannel::Open(uint16_t port) {
  m_port = port;
  OpenDatagramPath();
  ConnectStreamPath();
  return Flags() != 0;
}

void CChannel::OpenDatagramPath() {
  if (m_address == 0 || m_address == 0xFFFFFFFFu || m_address == kLoopback) return;
  SOCKET s = ShareLib::UDPSocket();
  bool connected = s != INVALID_SOCKET && ShareLib::UDPConnect(s, m_address, m_port);
  win::ScopedLock hold(m_lock);
  ShareLib::CloseSocket(m_datagram);
  m_flags &= ~kDatagramConnected;
  if (connected) {
    m_datagram = s;
    m_flags |= kDatagramConnected;
  } else {
    ShareLib::CloseSocket(s);
  }
}

void CChannel::ConnectStreamPath() {
  if (!m_forwarder) return;
  Sleep(kForwardPauseMs);
  if (m_forwarder->Forward(m_port, m_port) != 0) return;
  SOCKET s = ShareLib::TCPSocket(false);
  if (s == INVALID_SOCKET) return;
  if (!ShareLib::TCPConnect(s, kLoopback, m_port)) {
    ShareLib::CloseSocket(s);
    return;
  }
  DWORD timeout = kStreamSendTimeoutMs;
  setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
  BOOL noDelay = TRUE;  // blocks are small and late blocks are worthless
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof(noDelay));
  win::ScopedLock hold(m_lock);
  ShareLib::CloseSocket(m_stream);
  m_stream = s;
  m_flags |= kStreamConnected;
}

void CChannel::CloseStreamSocket() {
  win::ScopedLock hold(m_lock);
  ShareLib::CloseSocket(m_stream);
  m_flags &= ~kStreamConnected;
}

int CChannel::Send(const void* data, int length) {
  if (!data || length <= 0) return length;
  win::ScopedLock hold(m_lock);
  if (m_flags & kStreamConnected) {
    // A failed write leaves the path marked connected: later blocks keep trying it.
    const char* p = static_cast<const char*>(data);
    for (int left = length; left > 0;) {
      int n = ShareLib::TCPSend(m_stream, p, left);
      if (n <= 0) break;
      p += n;
      left -= n;
    }
  } else if (m_flags & kDatagramConnected) {
    ShareLib::UDPSend(m_datagram, data, length);
  }
  return length;
}

unsigned CChannel::Flags() {
  win::ScopedLock hold(m_lock);
  return m_flags;
}
