// Reports aborted reads after the pause the link gives a broken connection, on one thread of
// its own, so that the completion workers go straight back to the port: a burst of reset
// connections would otherwise hold every worker for the pause and stall the live links' reads.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <deque>

#include <ScopedWin.h>
#include <SoleWorker.h>

#include "LinkCallbacks.h"

class CDelayedAborts {
 public:
  explicit CDelayedAborts(DWORD pauseMs);
  ~CDelayedAborts();
  CDelayedAborts(const CDelayedAborts&) = delete;
  CDelayedAborts& operator=(const CDelayedAborts&) = delete;

  // Reports OnAborted(s) to the callback once the pause has passed, in the order scheduled.
  // The reporting thread starts with a report and ends once a pause has gone by with nothing
  // due (a phone that left keeps no thread); false when it cannot start.
  bool Schedule(IIOCPCallback* callback, SOCKET s);
  // Drops the reports still due and waits (bounded) for a report in progress: no callback
  // runs once Stop has returned. Later schedules are refused.
  void Stop();
  // Reporting threads running (tests).
  LONG Threads();

 private:
  struct Due {
    ULONGLONG at;
    IIOCPCallback* callback;
    SOCKET socket;
  };
  static DWORD WINAPI ReporterProc(void* arg);
  void Report();

  const DWORD m_pauseMs;
  win::CriticalSection m_lock;  // guards everything below
  std::deque<Due> m_due;        // oldest first: one pause for all keeps them in time order
  bool m_stopped = false;
  win::SoleWorker m_worker;
  win::AutoHandle m_wake;  // auto-reset: a new report or the stop
};
