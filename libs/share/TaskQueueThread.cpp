// A worker thread with a FIFO of tasks. AddTask may be called from any thread; the worker runs
// the tasks one at a time and deletes each after it ran.
//
// The queue and the running flag are guarded by one critical section. "work" is an auto-reset
// event: every AddTask and Destroy sets it, and the worker drains the whole queue after each
// wake-up, so no task is left waiting for a signal that was merged with an earlier one.
#include "share.h"

#include <ScopedWin.h>

#include <deque>

namespace ShareLib {

struct CTaskQueueThread::Impl {
  win::CriticalSection lock;
  std::deque<CTask*> tasks;  // guarded by lock; owned
  bool running = false;      // guarded by lock; false tells the worker to end
  win::AutoHandle work{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  win::AutoHandle thread;  // touched only by Create and Destroy
  DWORD threadId = 0;

  static DWORD WINAPI ThreadMain(void* param);
  void RunAll();
  void DeletePending();
};

DWORD WINAPI CTaskQueueThread::Impl::ThreadMain(void* param) {
  static_cast<Impl*>(param)->RunAll();
  return 0;
}

void CTaskQueueThread::Impl::RunAll() {
  for (;;) {
    WaitForSingleObject(work.get(), INFINITE);
    for (;;) {
      CTask* task = nullptr;
      {
        win::ScopedLock hold(lock);
        if (!running) return;
        if (tasks.empty()) break;
        task = tasks.front();
        tasks.pop_front();
      }
      // Tasks must not throw: with static runtimes an exception from the program's own module
      // cannot be caught here. This only keeps one thrown inside this library from ending the
      // worker.
      try {
        task->Run(0, 0);
      } catch (...) {
      }
      try {
        delete task;
      } catch (...) {
      }
    }
  }
}

void CTaskQueueThread::Impl::DeletePending() {
  std::deque<CTask*> dropped;
  {
    win::ScopedLock hold(lock);
    dropped.swap(tasks);
  }
  for (CTask* task : dropped) {
    try {
      delete task;
    } catch (...) {
    }
  }
}

CTaskQueueThread::CTaskQueueThread() : m_impl(nullptr) {
  // Nothing may leave the library as an exception; every operation checks m_impl instead.
  try {
    m_impl = new Impl;
  } catch (...) {
  }
}

CTaskQueueThread::~CTaskQueueThread() {
  Destroy();
  delete m_impl;
}

bool CTaskQueueThread::Create() {
  if (!m_impl || !m_impl->work) return false;
  if (m_impl->thread) return true;  // already running
  {
    win::ScopedLock hold(m_impl->lock);
    m_impl->running = true;
  }
  m_impl->thread.reset(CreateThread(nullptr, 0, Impl::ThreadMain, m_impl, 0, &m_impl->threadId));
  if (m_impl->thread) return true;
  win::ScopedLock hold(m_impl->lock);
  m_impl->running = false;
  return false;
}

bool CTaskQueueThread::AddTask(CTask* task) {
  if (!task) return false;
  bool queued = false;
  if (m_impl) {
    win::ScopedLock hold(m_impl->lock);
    if (m_impl->running) {
      try {
        m_impl->tasks.push_back(task);
        queued = true;
      } catch (...) {
      }
    }
  }
  if (!queued) {
    try {
      delete task;
    } catch (...) {
    }
    return false;
  }
  SetEvent(m_impl->work.get());
  return true;
}

void CTaskQueueThread::Destroy() {
  if (!m_impl || !m_impl->thread) return;
  {
    win::ScopedLock hold(m_impl->lock);
    m_impl->running = false;
  }
  SetEvent(m_impl->work.get());
  // From a task on the worker itself, waiting would never end; the worker stops after that
  // task. (The object must still outlive the worker: it must not be deleted from a task.)
  if (GetCurrentThreadId() != m_impl->threadId) {
    WaitForSingleObject(m_impl->thread.get(), INFINITE);
    m_impl->thread.reset();
    m_impl->threadId = 0;
  }
  m_impl->DeletePending();
}

}  // namespace ShareLib
