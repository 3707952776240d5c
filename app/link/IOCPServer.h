// CIOCPServer: receives on every phone control socket through one I/O completion port and
// reports each completed read, peer close and aborted read to an IIOCPCallback.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <set>

#include <ScopedWin.h>

#include "DelayedAborts.h"
#include "LinkCallbacks.h"
#include "ThreadGroup.h"

class CIOCPServer {
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

  win::AutoHandle m_port;
  int m_workers = 0;
  CThreadGroup m_threads;
  // Set by Stop and the destructor, never cleared: a stopped server stays stopped.
  volatile LONG m_stopped = 0;
  win::CriticalSection m_lock;          // guards m_callback and m_records
  IIOCPCallback* m_callback = nullptr;  // not owned
  std::set<ReceiveRecord*> m_records;   // reads in flight, owned by the server
  CDelayedAborts m_aborts;              // aborted reads, reported after the pause
};
