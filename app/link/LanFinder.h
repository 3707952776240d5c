// CLanFinder: discovery on the local network. Listens for phones' announcements on UDP 9755
// and connects to the control port they announce; listens on TCP 15548 for phones that connect
// by themselves, and announces that port once per refresh on every adapter that can reach
// phones, to its subnet's broadcast address, port 9755. Every connected control socket goes to
// the IFoundCallback.
#pragma once

#include <winsock2.h>
#include <stdint.h>

#include <vector>

#include <ScopedWin.h>

#include "LinkCallbacks.h"
#include "share.h"
#include "ThreadGroup.h"
#include "WaitLoop.h"

class CLanFinder : private IWaiter {
 public:
  static const uint16_t kDiscoveryPort = 9755;
  static const uint16_t kListenPort = 15548;
  static const int kListenBacklog = 32;
  static const int kDatagramSize = 32;
  // Pause of accepting after a failed accept: longer when the system ran out of sockets or
  // memory, short otherwise so that a broken listener cannot spin a core.
  static const DWORD kAcceptBackoffMs = 100;
  static const DWORD kAcceptRetryMs = 1;
  // Connects to announced peers that run at once. A datagram beyond that starts no thread of
  // its own: the first connect to end takes the newest peer again, so a flood of datagrams
  // cannot pile up threads while the newest announcement still gets its connect.
  static constexpr int kMaxConnects = 4;
  // Adapters announced on at most.
  static const int kMaxAddresses = 8;
  // Datagrams read, or connections accepted, in one turn of the loop before the other socket
  // gets its turn.
  static const int kTakesPerTurn = 64;
  // Longest wait of the loop between tries of the open sockets, whatever their event says:
  // under Wine a flood of connections was seen to leave the listener's backlog full with no
  // FD_ACCEPT signalled, and accepting must never stop for good.
  static const DWORD kSocketRetryMs = 1000;

  // loop: the shared wait loop, or null for one of the finder's own.
  explicit CLanFinder(CWaitLoop* loop = nullptr);
  ~CLanFinder() override;
  CLanFinder(const CLanFinder&) = delete;
  CLanFinder& operator=(const CLanFinder&) = delete;

  // Stores the callback, then refreshes.
  void Start(IFoundCallback* callback);
  // Opens the sockets for the PC's current addresses, unless they are unchanged or there is
  // none but the loopback. The sockets of an earlier refresh are closed first, so that the new
  // ones can bind the fixed ports. Also run by the address-change watch.
  void Refresh();
  // Closes both sockets, clears the callback, leaves the loop and waits (bounded) for the
  // connect and announce threads. A later Start opens the sockets again.
  void Stop();

  uint32_t LocalAddress();  // the best address, network order; 0 before the first refresh
  uint16_t ListenPort() const { return m_listenPort; }
  // Opened sockets: for tests of the refresh rules.
  bool HasDatagramSocket();
  bool HasListenSocket();
  // The address query (ShareLib::GetPhoneAddresses); tests replace it to play an address
  // change.
  typedef int (*AddressQuery)(ShareLib::LocalIPv4* out, int max);
  void SetAddressQuery(AddressQuery query) { m_query = query; }

 private:
  // IWaiter, on the loop's thread: reads what the sockets have, without blocking.
  HANDLE WaitEvent() override { return m_socketEvent.get(); }
  DWORD Serve() override;
  static DWORD WINAPI AnnounceProc(void* arg);
  static DWORD WINAPI ConnectProc(void* arg);
  // Opens a socket's events to the loop; false (and nothing changed) when that failed.
  bool Watch(SOCKET s, long events);
  bool ReadDatagrams();  // true when more may be waiting
  void OnDatagram(SOCKET s, uint32_t from, uint16_t port);
  // Takes the waiting connections; answers how long the loop may wait before the next try
  // (INFINITE: none is waiting; 0: more may be). A failed accept ends nothing.
  DWORD AcceptWaiting();
  // Hands a connection the listener took to the callback, or closes it when there is none.
  void OnAccepted(SOCKET s, uint32_t address, uint16_t port);
  static bool IsResourceError(int error);
  void Announce();
  void ConnectToPeer();
  IFoundCallback* Callback();
  void CloseSockets();
  static bool Same(const std::vector<ShareLib::LocalIPv4>& a, const std::vector<ShareLib::LocalIPv4>& b);

  volatile uint16_t m_listenPort;  // written by refresh, read by the announce thread
  CWaitLoop m_ownLoop;             // used when no loop was given
  CWaitLoop* m_loop;
  // Signalled by both sockets (FD_READ, FD_ACCEPT); manual reset, reset by Serve.
  win::AutoHandle m_socketEvent;
  // Held while the loop reads from the sockets and while they are closed, so that the number
  // of a closed socket, taken again by another one, is never read from.
  win::CriticalSection m_socketUse;
  // Loop thread only: after a failed accept, none for m_acceptPauseMs from m_acceptPauseStart.
  DWORD m_acceptPauseStart = 0;
  DWORD m_acceptPauseMs = 0;
  // The datagram buffer, under m_socketUse: read into by the loop, zeroed as the sockets close
  // (a 1-byte datagram leaves the second byte as the buffer held it).
  unsigned char m_datagram[kDatagramSize];
  win::CriticalSection m_lock;     // guards every field below
  SOCKET m_listenSocket = INVALID_SOCKET;    // owned
  SOCKET m_datagramSocket = INVALID_SOCKET;  // owned
  uint32_t m_localAddress = 0;               // the best of m_addresses; 0 when there are none
  std::vector<ShareLib::LocalIPv4> m_addresses;  // what the sockets were opened for, best first
  uint32_t m_peerAddress = 0;                // last phone heard from or accepted
  uint16_t m_peerPort = 0;                   // its announced control port
  int m_connects = 0;                        // connect threads running
  bool m_connectAgain = false;               // a datagram came while all of them ran
  IFoundCallback* m_callback = nullptr;      // not owned
  AddressQuery m_query;
  CThreadGroup m_threads;  // announce and connect threads
};
