// The shared waiting thread: see WaitLoop.h.
//
// Each round the thread copies the list, asks every waiter for its event, waits for any of them
// (or the wake event) up to the nearest waiter's limit, then serves every waiter. A waiter that
// leaves is taken off the list under m_lock and then waits on m_serving, so that no call to it
// is in progress when Remove returns and none starts later (each call checks the list first).
#include "WaitLoop.h"

#include <algorithm>

namespace {

const DWORD kEndWaitMs = 10000;
// A wait that failed (an event closed by a waiter that broke its word) is tried again after
// this pause, so that it cannot spin a core.
const DWORD kFailedWaitPauseMs = 50;

}  // namespace

CWaitLoop::CWaitLoop() : m_wake(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

CWaitLoop::~CWaitLoop() {
  {
    win::ScopedLock hold(m_lock);
    m_waiters.clear();
  }
  Wake();
  m_worker.Join(kEndWaitMs);
}

std::vector<CWaitLoop::Entry>::iterator CWaitLoop::Find(IWaiter* waiter) {
  return std::find_if(m_waiters.begin(), m_waiters.end(), [waiter](const Entry& e) { return e.waiter == waiter; });
}

bool CWaitLoop::Add(IWaiter* waiter) {
  if (!waiter || !m_wake) return false;
  win::ScopedLock hold(m_lock);
  if (Find(waiter) == m_waiters.end()) {
    try {
      m_waiters.push_back({waiter, GetTickCount(), 0});
    } catch (...) {
      return false;
    }
  }
  if (m_worker.Alive()) {
    Wake();
    return true;
  }
  if (!m_worker.Ensure(&CWaitLoop::ThreadProc, this)) {
    m_waiters.erase(Find(waiter));
    return false;
  }
  return true;
}

void CWaitLoop::Remove(IWaiter* waiter) {
  {
    win::ScopedLock hold(m_lock);
    auto it = Find(waiter);
    if (it == m_waiters.end()) return;
    m_waiters.erase(it);
  }
  Wake();
  // Waits out a call in progress (re-entrant from the waiter's own Serve).
  win::ScopedLock serving(m_serving);
}

bool CWaitLoop::Serves(IWaiter* waiter) {
  win::ScopedLock hold(m_lock);
  return Find(waiter) != m_waiters.end();
}

DWORD WINAPI CWaitLoop::ThreadProc(void* arg) {
  static_cast<CWaitLoop*>(arg)->Run();
  return 0;
}

LONG CWaitLoop::Threads() {
  win::ScopedLock hold(m_lock);
  return m_worker.Alive() ? 1 : 0;
}

HANDLE CWaitLoop::EventOf(IWaiter* waiter) {
  win::ScopedLock serving(m_serving);
  {
    win::ScopedLock hold(m_lock);
    if (Find(waiter) == m_waiters.end()) return nullptr;
  }
  return waiter->WaitEvent();
}

void CWaitLoop::ServeOne(IWaiter* waiter) {
  win::ScopedLock serving(m_serving);
  {
    win::ScopedLock hold(m_lock);
    if (Find(waiter) == m_waiters.end()) return;
  }
  DWORD waitMs = waiter->Serve();
  win::ScopedLock hold(m_lock);
  auto it = Find(waiter);
  if (it != m_waiters.end()) *it = {waiter, GetTickCount(), waitMs};
}

void CWaitLoop::Run() {
  std::vector<Entry> listed;
  std::vector<HANDLE> handles;
  for (bool first = true;; first = false) {
    {
      win::ScopedLock hold(m_lock);
      if (m_waiters.empty()) {
        m_worker.Ended();
        return;
      }
      try {
        listed = m_waiters;
      } catch (...) {
        listed.clear();
      }
    }
    if (!first) {
      handles.assign(1, m_wake.get());
      DWORD now = GetTickCount(), timeout = INFINITE;
      for (const Entry& e : listed) {
        if (HANDLE h = EventOf(e.waiter))
          if (handles.size() < MAXIMUM_WAIT_OBJECTS) handles.push_back(h);
        if (e.waitMs == INFINITE) continue;
        DWORD passed = now - e.servedAt;
        timeout = std::min(timeout, passed >= e.waitMs ? 0 : e.waitMs - passed);
      }
      if (WaitForMultipleObjects((DWORD)handles.size(), handles.data(), FALSE, timeout) == WAIT_FAILED)
        Sleep(kFailedWaitPauseMs);
    }
    // Every waiter finds out for itself what is due: there are few, and each call is cheap.
    for (const Entry& e : listed) ServeOne(e.waiter);
  }
}
