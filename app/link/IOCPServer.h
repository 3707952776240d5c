// CIOCPServer: receives on every phone control socket through one I/O completion port and
// reports each completed read, peer close and aborted read to an IIOCPCallback. A socket it
// reads is closed through it (ISocketCloser): its handle, and so its value, stays taken until
// the last report about it has been made or dropped.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <map>
#include <set>

#include <ScopedWin.h>

#include "DelayedAborts.h"
#include "LinkCallbacks.h"
#include "ThreadGroup.h"

class CIOCPServer : public ISocketCloser {
 public:
  static const int kReadSize = 1024;
  static const DWORD kAbortPauseMs = 2000;

  // The links are few and their reads light: two workers, so that one can serve while the
  // other is held in a callback. (Two per processor cost a thread each for nothing: about
  // 1 MiB apiece under Wine, and sixteen threads on an eight-core PC.)
  static const int kDefaultWorkers = 2;

  CIOCPServer();
  ~CIOCPServer();
  CIOCPServer(const CIOCPServer&) = delete;
  CIOCPServer& operator=(const CIOCPServer&) = delete;

  // Creates the port and starts the workers; workers -1 means kDefaultWorkers. False when
  // the server was stopped before (it cannot be started again) or the port cannot be made.
  bool Start(IIOCPCallback* callback, int workers);
  // Joins the socket to the port (the socket is its own completion key) and posts its first
  // read. Returns the last socket error (0 on success), which callers may ignore: a read that
  // cannot be posted is reported like a failed one.
  int AddSocket(SOCKET s);
  // Sets the stop flag and clears the callback; every worker ends, and aborts not reported yet
  // are dropped. Waits for them (bounded), so that no callback runs once Stop has returned.
  void Stop();
  // Closes at once a socket the server does not read (or when stopped); otherwise ends its
  // read and closes it when that read and any report due about it are over, reporting nothing
  // more about it.
  void CloseSocket(SOCKET s) override;

  bool Stopped() const { return m_stopped != 0; }
  int WorkerCount() const { return m_workers; }
  // Reads outstanding on sockets (one receive record each).
  size_t PendingReads();
  // Workers running now: WorkerCount() until Stop.
  LONG LiveWorkers() const { return m_threads.Count(); }

 private:
  // One outstanding read: its OVERLAPPED first, recovered with CONTAINING_RECORD.
  struct ReceiveRecord {
    OVERLAPPED overlapped;
    WSABUF wsabuf;
    SOCKET socket;
    DWORD failure;  // a read refused when posted: its error, queued to the port
    unsigned char buffer[kReadSize];
  };

  static DWORD WINAPI WorkerProc(void* arg);
  void Work();
  // Zeroes the record and posts a read into it. False when the read was refused: the record
  // then goes to the port with its error (or is freed when even that fails).
  bool PostRead(ReceiveRecord* record, int* error);
  // The socket's reads end: a peer close, or a failure reported as an abort or as a close.
  void EndClosed(SOCKET s);
  void EndFailed(SOCKET s, DWORD error);
  void FreeRecord(ReceiveRecord* record);
  IIOCPCallback* Callback();
  // A socket's uses: its read in flight, an abort due, a report being made. The last Release
  // of a socket asked to close closes it.
  void Hold(SOCKET s);
  void Release(SOCKET s);
  bool Closing(SOCKET s);
  void ReportAbort(SOCKET s);

  // The delayed reporter's callback: an abort is reported unless the socket was closed
  // meanwhile, then the abort's hold is released.
  struct AbortRelay : IIOCPCallback {
    CIOCPServer* server = nullptr;
    void OnReceived(SOCKET, const unsigned char*, int) override {}
    bool OnClosed(SOCKET) override { return false; }
    void OnAborted(SOCKET s) override { server->ReportAbort(s); }
  };
  struct Use {
    int holds = 0;
    bool closing = false;
  };

  win::AutoHandle m_port;
  int m_workers = 0;
  CThreadGroup m_threads;
  // Set by Stop and the destructor, never cleared: a stopped server stays stopped.
  volatile LONG m_stopped = 0;
  win::CriticalSection m_lock;          // guards m_callback, m_records and m_uses
  IIOCPCallback* m_callback = nullptr;  // not owned
  std::set<ReceiveRecord*> m_records;   // reads in flight, owned by the server
  std::map<SOCKET, Use> m_uses;         // sockets with a use; erased with the last one
  AbortRelay m_relay;
  CDelayedAborts m_aborts;              // aborted reads, reported after the pause
};
