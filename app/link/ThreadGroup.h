// Counts the detached threads an object starts, so that its stop can wait for them to end
// before the object goes away. Thread handles are closed at once.
#pragma once

#include <windows.h>

#include <ScopedWin.h>

class CThreadGroup {
 public:
  CThreadGroup() : m_idle(CreateEventW(nullptr, TRUE, TRUE, nullptr)) {}
  CThreadGroup(const CThreadGroup&) = delete;
  CThreadGroup& operator=(const CThreadGroup&) = delete;

  // Starts proc(arg) on a new thread; false (and nothing started) when that failed.
  bool Start(LPTHREAD_START_ROUTINE proc, void* arg) {
    if (InterlockedIncrement(&m_count) == 1) ResetEvent(m_idle.get());
    HANDLE h = CreateThread(nullptr, 0, proc, arg, 0, nullptr);
    if (!h) {
      Leave();
      return false;
    }
    CloseHandle(h);
    return true;
  }
  // Each started thread calls this as its last action.
  void Leave() {
    if (InterlockedDecrement(&m_count) == 0) SetEvent(m_idle.get());
  }
  // True when no thread of the group runs any more within timeoutMs.
  bool WaitIdle(DWORD timeoutMs) { return WaitForSingleObject(m_idle.get(), timeoutMs) == WAIT_OBJECT_0; }
  LONG Count() const { return m_count; }

 private:
  volatile LONG m_count = 0;
  win::AutoHandle m_idle;  // signalled while m_count is 0
};
