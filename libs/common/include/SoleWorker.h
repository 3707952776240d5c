// SoleWorker: the one worker thread of an object whose worker ends by itself once it runs out
// of work, and is started again by the next piece of work (an idle thread costs about 1 MiB
// under Wine).
//
// The owner guards Ensure and the worker's decision to end with one lock of its own. The
// worker calls Ended under that lock as its last use of the owner, so a later Ensure either
// finds the worker alive (and the work is the worker's to take) or joins a thread that is only
// returning, which cannot deadlock.
#pragma once

#include <windows.h>

#include "ScopedWin.h"

namespace win {

class SoleWorker {
 public:
  SoleWorker() = default;
  SoleWorker(const SoleWorker&) = delete;
  SoleWorker& operator=(const SoleWorker&) = delete;

  // Under the owner's lock: true when a worker is alive, or proc(arg) was started now.
  bool Ensure(LPTHREAD_START_ROUTINE proc, void* arg) {
    if (m_alive) return true;
    if (m_thread) WaitForSingleObject(m_thread.get(), INFINITE);
    m_thread.reset(CreateThread(nullptr, 0, proc, arg, 0, &m_id));
    m_alive = m_thread.valid();
    return m_alive;
  }
  // Under the owner's lock, on the worker, as its last use of the owner.
  void Ended() { m_alive = false; }
  // Under the owner's lock.
  bool Alive() const { return m_alive; }
  bool OnWorker() const { return m_alive && GetCurrentThreadId() == m_id; }
  // Without the owner's lock, once the owner starts no more workers: waits up to timeoutMs for
  // the newest worker to end; true when it has (or there was none).
  bool Join(DWORD timeoutMs) {
    if (!m_thread) return true;
    if (WaitForSingleObject(m_thread.get(), timeoutMs) != WAIT_OBJECT_0) return false;
    m_thread.reset();
    m_id = 0;
    return true;
  }

 private:
  bool m_alive = false;
  AutoHandle m_thread;  // the newest worker, joined before the next one starts
  DWORD m_id = 0;
};

}  // namespace win
