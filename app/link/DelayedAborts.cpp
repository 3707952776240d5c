// Aborted reads reported after their pause: see DelayedAborts.h.
#include "DelayedAborts.h"

namespace {
const DWORD kStopWaitMs = 5000;
}

CDelayedAborts::CDelayedAborts(DWORD pauseMs)
    : m_pauseMs(pauseMs), m_wake(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

CDelayedAborts::~CDelayedAborts() { Stop(); }

bool CDelayedAborts::Schedule(IIOCPCallback* callback, SOCKET s) {
  win::ScopedLock hold(m_lock);
  if (m_stopped || !m_wake) return false;
  try {
    m_due.push_back({GetTickCount64() + m_pauseMs, callback, s});
  } catch (...) {
    return false;
  }
  if (!m_worker.Ensure(&CDelayedAborts::ReporterProc, this)) {
    m_due.pop_back();
    return false;
  }
  SetEvent(m_wake.get());
  return true;
}

void CDelayedAborts::Stop() {
  {
    win::ScopedLock hold(m_lock);
    m_stopped = true;
    m_due.clear();
  }
  if (m_wake) SetEvent(m_wake.get());
  m_worker.Join(kStopWaitMs);
}

LONG CDelayedAborts::Threads() {
  win::ScopedLock hold(m_lock);
  return m_worker.Alive() ? 1 : 0;
}

DWORD WINAPI CDelayedAborts::ReporterProc(void* arg) {
  static_cast<CDelayedAborts*>(arg)->Report();
  return 0;
}

void CDelayedAborts::Report() {
  bool idle = false;  // the last wait began with nothing due
  for (;;) {
    DWORD wait = m_pauseMs;
    Due next{};
    {
      win::ScopedLock hold(m_lock);
      if (m_stopped) {
        m_worker.Ended();
        return;
      }
      if (m_due.empty()) {
        // A pause with nothing due: the burst is over. Ends under the lock, so that a schedule
        // either comes before (and is reported) or starts a new thread.
        if (idle) {
          m_worker.Ended();
          return;
        }
        idle = true;
      } else {
        idle = false;
        ULONGLONG now = GetTickCount64();
        if (m_due.front().at <= now) {
          next = m_due.front();
          m_due.pop_front();
          wait = 0;
        } else {
          wait = (DWORD)(m_due.front().at - now);
        }
      }
    }
    if (wait != 0) {
      WaitForSingleObject(m_wake.get(), wait);
      continue;
    }
    // Stop may come in between: it waits for this report to end.
    if (next.callback) next.callback->OnAborted(next.socket);
  }
}
