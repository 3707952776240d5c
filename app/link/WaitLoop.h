// CWaitLoop: one thread that waits for the events of several owners at once. Discovery's
// sockets and the address-change watch spend their lives waiting; each thread costs about
// 1 MiB however small its stack, so they share this one. The thread starts with the first
// waiter and ends when the last one leaves.
#pragma once

#include <windows.h>

#include <vector>

#include <ScopedWin.h>
#include <SoleWorker.h>

class IWaiter {
 public:
  virtual ~IWaiter() {}
  // The event to wait for now, or null; asked on the loop's thread before each wait. A
  // manual-reset event (the loop's wait must not consume the signal that Serve looks for),
  // open while the waiter is in the loop.
  virtual HANDLE WaitEvent() = 0;
  // Called on the loop's thread when the waiter joins, after any event of the loop was
  // signalled, when its time ran out and when the loop was woken: the waiter does whatever is
  // due and answers how long the loop may wait before calling it again (INFINITE: no limit).
  virtual DWORD Serve() = 0;
};

class CWaitLoop {
 public:
  CWaitLoop();
  ~CWaitLoop();  // drops any waiter still listed and waits for the thread
  CWaitLoop(const CWaitLoop&) = delete;
  CWaitLoop& operator=(const CWaitLoop&) = delete;

  // Lists the waiter (a listed one is only served again soon), starting the thread when none
  // runs. False when the thread could not start; the waiter is then not listed.
  bool Add(IWaiter* waiter);
  // Once it returns the loop calls the waiter no more; it may be called from the waiter's own
  // Serve.
  void Remove(IWaiter* waiter);
  // Every waiter is served again soon: its event or its timing changed.
  void Wake() { SetEvent(m_wake.get()); }
  bool Serves(IWaiter* waiter);
  LONG Threads();  // 0 or 1

 private:
  struct Entry {
    IWaiter* waiter;
    DWORD servedAt;  // tick of its last Serve
    DWORD waitMs;    // what that Serve answered
  };
  static DWORD WINAPI ThreadProc(void* arg);
  void Run();
  // Serves the waiter unless it left meanwhile.
  void ServeOne(IWaiter* waiter);
  // The waiter's event, unless it left meanwhile.
  HANDLE EventOf(IWaiter* waiter);
  std::vector<Entry>::iterator Find(IWaiter* waiter);  // under m_lock

  win::CriticalSection m_lock;     // guards m_waiters and m_worker
  win::CriticalSection m_serving;  // held while a waiter is asked or served
  std::vector<Entry> m_waiters;
  win::SoleWorker m_worker;  // serves the list while it is not empty
  win::AutoHandle m_wake;    // auto-reset
};
