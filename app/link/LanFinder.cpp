// Discovery: CLanFinder's sockets served on the wait loop, its announce and connect threads.
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

CLanFinder::CLanFinder(CWaitLoop* loop)
    : m_listenPort(kListenPort),
      m_loop(loop ? loop : &m_ownLoop),
      m_socketEvent(WSACreateEvent()),
      m_query(&ShareLib::GetPhoneAddresses) {
  memset(m_datagram, 0, sizeof(m_datagram));
}

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

  bool opened = false;
  SOCKET udp = ShareLib::UDPSocket();
  if (udp != INVALID_SOCKET && ShareLib::UDPBind(udp, kDiscoveryPort, INADDR_ANY) && Watch(udp, FD_READ)) {
    win::ScopedLock hold(m_lock);
    m_datagramSocket = udp;
    opened = true;
  } else {
    ShareLib::CloseSocket(udp);
  }

  bool listening = false;
  SOCKET tcp = ShareLib::TCPSocket(false);
  if (tcp != INVALID_SOCKET && ShareLib::TCPListen(tcp, kListenBacklog, kListenPort, INADDR_ANY) &&
      Watch(tcp, FD_ACCEPT)) {
    m_listenPort = kListenPort;
    win::ScopedLock hold(m_lock);
    m_listenSocket = tcp;
    opened = listening = true;
  } else {
    ShareLib::CloseSocket(tcp);
  }

  // Nobody would read sockets the loop does not serve; a loop with nothing to serve lets its
  // thread end.
  if (!opened) {
    m_loop->Remove(this);
  } else if (!m_loop->Add(this)) {
    CloseSockets();
  } else if (listening) {
    m_threads.Start(&CLanFinder::AnnounceProc, this);
  }
}

bool CLanFinder::Watch(SOCKET s, long events) {
  return m_socketEvent && WSAEventSelect(s, m_socketEvent.get(), events) == 0;
}

void CLanFinder::CloseSockets() {
  win::ScopedLock use(m_socketUse);
  SOCKET udp, tcp;
  {
    win::ScopedLock hold(m_lock);
    udp = m_datagramSocket;
    tcp = m_listenSocket;
    m_datagramSocket = m_listenSocket = INVALID_SOCKET;
  }
  ShareLib::CloseSocket(udp);
  ShareLib::CloseSocket(tcp);
  memset(m_datagram, 0, sizeof(m_datagram));
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
  m_loop->Remove(this);
  m_acceptPauseMs = 0;  // the loop has let go
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

DWORD CLanFinder::Serve() {
  // Reset before reading: whatever arrives from here on sets the event again.
  ResetEvent(m_socketEvent.get());
  bool more = ReadDatagrams();
  DWORD waitMs = AcceptWaiting();
  if (more) return 0;
  win::ScopedLock hold(m_lock);
  bool open = m_datagramSocket != INVALID_SOCKET || m_listenSocket != INVALID_SOCKET;
  return open && waitMs > kSocketRetryMs ? kSocketRetryMs : waitMs;
}

bool CLanFinder::ReadDatagrams() {
  // Bounded, so that a flood cannot keep the listener waiting: the loop comes back at once
  // for the rest.
  for (int i = 0; i < kTakesPerTurn; ++i) {
    SOCKET s;
    uint32_t from = 0;
    uint16_t fromPort = 0, port = 0;
    int n;
    {
      win::ScopedLock use(m_socketUse);
      {
        win::ScopedLock hold(m_lock);
        s = m_datagramSocket;
      }
      if (s == INVALID_SOCKET) return false;
      n = ShareLib::UDPRecvfrom(s, m_datagram, sizeof(m_datagram), &from, &fromPort);
      port = phonelink::ReadLE16(m_datagram);
    }
    if (n < 0) return false;  // nothing more now (or the socket failed)
    if (n == 0) continue;
    // Asked anew for each datagram: the PC's addresses may have changed since the refresh.
    if (ShareLib::IsOwnAddress(from)) continue;
    OnDatagram(s, from, port);
  }
  return true;
}

void CLanFinder::OnDatagram(SOCKET s, uint32_t from, uint16_t port) {
  {
    win::ScopedLock hold(m_lock);
    if (s != m_datagramSocket) return;  // a newer refresh replaced this socket
    m_peerAddress = from;
    m_peerPort = port;
    if (m_connects >= kMaxConnects) {
      m_connectAgain = true;
      return;
    }
    ++m_connects;
  }
  if (!m_threads.Start(&CLanFinder::ConnectProc, this)) {
    win::ScopedLock hold(m_lock);
    --m_connects;
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

DWORD CLanFinder::AcceptWaiting() {
  if (m_acceptPauseMs) {
    DWORD passed = GetTickCount() - m_acceptPauseStart;
    if (passed < m_acceptPauseMs) return m_acceptPauseMs - passed;
    m_acceptPauseMs = 0;
  }
  for (int i = 0; i < kTakesPerTurn; ++i) {
    SOCKET s;
    uint16_t port = 0;
    uint32_t address = 0;
    int error = 0;
    {
      win::ScopedLock use(m_socketUse);
      SOCKET listener;
      {
        win::ScopedLock hold(m_lock);
        listener = m_listenSocket;
      }
      if (listener == INVALID_SOCKET) return INFINITE;
      s = ShareLib::TCPAccept(listener, &port, &address);
      if (s == INVALID_SOCKET) error = ShareLib::GetNetError();
    }
    if (s != INVALID_SOCKET) {
      OnAccepted(s, address, port);
      continue;
    }
    if (error == WSAEWOULDBLOCK) return INFINITE;  // none waits; FD_ACCEPT tells of the next
    // A connection that failed before it was taken ends nothing: accepting goes on after a
    // pause, longer when the system ran out of sockets or memory.
    m_acceptPauseStart = GetTickCount();
    m_acceptPauseMs = IsResourceError(error) ? kAcceptBackoffMs : kAcceptRetryMs;
    return m_acceptPauseMs;
  }
  return 0;
}

void CLanFinder::OnAccepted(SOCKET s, uint32_t address, uint16_t port) {
  // The connection inherits the listener's event selection and so its non-blocking mode; a
  // control socket's sends block.
  WSAEventSelect(s, nullptr, 0);
  u_long blockingMode = 0;
  ioctlsocket(s, FIONBIO, &blockingMode);
  IFoundCallback* cb;
  {
    win::ScopedLock hold(m_lock);
    cb = m_callback;
    if (cb) m_peerAddress = address;
  }
  if (cb) cb->OnFound(s, address, port);
  else ShareLib::CloseSocket(s);  // nobody to own it
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
