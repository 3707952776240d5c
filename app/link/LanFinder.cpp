// Discovery: the datagram, accept, announce and connect threads of CLanFinder.
//
// Datagram wire format on UDP 9755, both ways: bytes 0-1 are the sender's TCP control port,
// unsigned little-endian; later bytes are ignored and at most 32 are read. A datagram from any
// of the PC's own addresses (its own announcement coming back, perhaps by another adapter) or
// an empty one starts nothing.
#include "LanFinder.h"

#include <new>

#include "ControlFrame.h"
#include "share.h"

namespace {

const DWORD kStopWaitMs = 10000;
const uint32_t kLoopback = 0x0100007F;  // 127.0.0.1 in network order

}  // namespace

CLanFinder::CLanFinder() : m_listenPort(kListenPort), m_query(&ShareLib::GetPhoneAddresses) {}

CLanFinder::~CLanFinder() { Stop(); }

void CLanFinder::Start(IFoundCallback* callback) {
  {
    win::ScopedLock hold(m_lock);
    m_callback = callback;
  }
  Refresh();
}

void CLanFinder::Refresh() {
  ShareLib::LocalIPv4 found[kMaxAddresses];
  int n = m_query ? m_query(found, kMaxAddresses) : 0;
  std::vector<ShareLib::LocalIPv4> addresses;
  for (int i = 0; i < n && i < kMaxAddresses; ++i)
    if (found[i].address != kLoopback) addresses.push_back(found[i]);
  {
    win::ScopedLock hold(m_lock);
    if (addresses.empty() || Same(addresses, m_addresses)) return;
    m_addresses = addresses;
    m_localAddress = addresses[0].address;
  }
  CloseSockets();

  SOCKET udp = ShareLib::UDPSocket();
  if (udp != INVALID_SOCKET && ShareLib::UDPBind(udp, kDiscoveryPort, INADDR_ANY)) {
    {
      win::ScopedLock hold(m_lock);
      m_datagramSocket = udp;
    }
    // The thread gets the socket value; closing the field's socket ends it.
    if (!m_threads.Start(&CLanFinder::DatagramProc, this)) CloseSockets();
  } else {
    ShareLib::CloseSocket(udp);
  }

  SOCKET tcp = ShareLib::TCPSocket(false);
  if (tcp != INVALID_SOCKET && ShareLib::TCPListen(tcp, kListenBacklog, kListenPort, INADDR_ANY)) {
    m_listenPort = kListenPort;
    {
      win::ScopedLock hold(m_lock);
      m_listenSocket = tcp;
    }
    m_threads.Start(&CLanFinder::AcceptProc, this);
    m_threads.Start(&CLanFinder::AnnounceProc, this);
  } else {
    ShareLib::CloseSocket(tcp);
  }
}

void CLanFinder::CloseSockets() {
  SOCKET udp, tcp;
  {
    win::ScopedLock hold(m_lock);
    udp = m_datagramSocket;
    tcp = m_listenSocket;
    m_datagramSocket = m_listenSocket = INVALID_SOCKET;
  }
  // Closing wakes the threads blocked in recvfrom and accept; they end on the failure.
  ShareLib::CloseSocket(udp);
  ShareLib::CloseSocket(tcp);
}

void CLanFinder::Stop() {
  {
    win::ScopedLock hold(m_lock);
    m_callback = nullptr;
    // The sockets are gone: a later start must open them again, whatever the address.
    m_localAddress = 0;
    m_addresses.clear();
  }
  CloseSockets();
  m_threads.WaitIdle(kStopWaitMs);
}

uint32_t CLanFinder::LocalAddress() {
  win::ScopedLock hold(m_lock);
  return m_localAddress;
}

bool CLanFinder::HasDatagramSocket() {
  win::ScopedLock hold(m_lock);
  return m_datagramSocket != INVALID_SOCKET;
}

bool CLanFinder::HasListenSocket() {
  win::ScopedLock hold(m_lock);
  return m_listenSocket != INVALID_SOCKET;
}

IFoundCallback* CLanFinder::Callback() {
  win::ScopedLock hold(m_lock);
  return m_callback;
}

DWORD WINAPI CLanFinder::DatagramProc(void* arg) {
  CLanFinder* self = static_cast<CLanFinder*>(arg);
  SOCKET s;
  {
    win::ScopedLock hold(self->m_lock);
    s = self->m_datagramSocket;
  }
  if (s != INVALID_SOCKET) self->DatagramLoop(s);
  self->m_threads.Leave();
  return 0;
}

void CLanFinder::DatagramLoop(SOCKET s) {
  unsigned char buffer[kDatagramSize];
  memset(buffer, 0, sizeof(buffer));
  for (;;) {
    uint32_t from = 0;
    uint16_t fromPort = 0;
    int n = ShareLib::UDPRecvfrom(s, buffer, sizeof(buffer), &from, &fromPort);
    if (n < 0) return;  // the socket was closed
    if (n == 0) continue;
    // Asked anew for each datagram: the PC's addresses may have changed since the refresh.
    if (ShareLib::IsOwnAddress(from)) continue;
    {
      win::ScopedLock hold(m_lock);
      if (s != m_datagramSocket) return;  // a newer refresh replaced this socket
      m_peerAddress = from;
      // A 1-byte datagram leaves the second byte as the buffer held it.
      m_peerPort = phonelink::ReadLE16(buffer);
      if (m_connects >= kMaxConnects) {
        m_connectAgain = true;
        continue;
      }
      ++m_connects;
    }
    if (!m_threads.Start(&CLanFinder::ConnectProc, this)) {
      win::ScopedLock hold(m_lock);
      --m_connects;
    }
  }
}

DWORD WINAPI CLanFinder::ConnectProc(void* arg) {
  CLanFinder* self = static_cast<CLanFinder*>(arg);
  for (;;) {
    self->ConnectToPeer();
    win::ScopedLock hold(self->m_lock);
    if (!self->m_connectAgain || !self->m_callback) {
      self->m_connectAgain = false;
      --self->m_connects;
      break;
    }
    self->m_connectAgain = false;
  }
  self->m_threads.Leave();
  return 0;
}

void CLanFinder::ConnectToPeer() {
  uint32_t address;
  uint16_t port;
  {
    win::ScopedLock hold(m_lock);
    address = m_peerAddress;
    port = m_peerPort;  // the newest announcement wins
  }
  SOCKET s = ShareLib::TCPSocket(false);
  if (s == INVALID_SOCKET) return;
  if (!ShareLib::TCPConnect(s, address, port)) {
    ShareLib::CloseSocket(s);
    return;
  }
  // The callback owns the socket from here; with none (stopped meanwhile) nobody would.
  if (IFoundCallback* cb = Callback()) cb->OnFound(s, address, port);
  else ShareLib::CloseSocket(s);
}

DWORD WINAPI CLanFinder::AcceptProc(void* arg) {
  CLanFinder* self = static_cast<CLanFinder*>(arg);
  SOCKET s;
  {
    win::ScopedLock hold(self->m_lock);
    s = self->m_listenSocket;
  }
  if (s != INVALID_SOCKET) self->AcceptLoop(s);
  self->m_threads.Leave();
  return 0;
}

void CLanFinder::AcceptLoop(SOCKET listener) {
  for (;;) {
    uint16_t port = 0;
    uint32_t address = 0;
    SOCKET s = ShareLib::TCPAccept(listener, &port, &address);
    if (s == INVALID_SOCKET) {
      int error = ShareLib::GetNetError();
      // A connection that failed before it was taken ends nothing; only a listener that was
      // closed (refresh or stop) ends the loop.
      if (!StillListening(listener)) return;
      Sleep(IsResourceError(error) ? kAcceptBackoffMs : kAcceptRetryMs);
      continue;
    }
    IFoundCallback* cb;
    {
      win::ScopedLock hold(m_lock);
      cb = m_callback;
      if (cb) m_peerAddress = address;
    }
    if (cb) cb->OnFound(s, address, port);
    else ShareLib::CloseSocket(s);  // nobody to own it
  }
}

bool CLanFinder::StillListening(SOCKET listener) {
  win::ScopedLock hold(m_lock);
  return m_callback && listener == m_listenSocket;
}

bool CLanFinder::IsResourceError(int error) {
  return error == WSAEMFILE || error == WSAENOBUFS || error == WSA_NOT_ENOUGH_MEMORY;
}

DWORD WINAPI CLanFinder::AnnounceProc(void* arg) {
  CLanFinder* self = static_cast<CLanFinder*>(arg);
  self->Announce();
  self->m_threads.Leave();
  return 0;
}

void CLanFinder::Announce() {
  unsigned char datagram[2];
  phonelink::WriteLE16(datagram, m_listenPort);
  std::vector<ShareLib::LocalIPv4> addresses;
  {
    win::ScopedLock hold(m_lock);
    addresses = m_addresses;
  }
  // From each adapter's own address to its subnet's broadcast address: the limited broadcast
  // would leave by one adapter only. A single-host subnet has no broadcast address of its own.
  for (const ShareLib::LocalIPv4& a : addresses) {
    uint32_t to = a.mask == INADDR_BROADCAST ? INADDR_BROADCAST : (a.address | ~a.mask);
    ShareLib::UDPClientSendFrom(a.address, datagram, sizeof(datagram), to, kDiscoveryPort);
  }
}

bool CLanFinder::Same(const std::vector<ShareLib::LocalIPv4>& a, const std::vector<ShareLib::LocalIPv4>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].address != b[i].address || a[i].mask != b[i].mask) return false;
  return true;
}
