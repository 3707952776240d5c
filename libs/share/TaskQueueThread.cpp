// A worker thread with a FIFO of tasks. AddTask may be called from any thread; the worker runs
// the tasks one at a time and deletes each after it ran.
//
// The worker starts with the first task and ends after it has waited idleMs for the next one
// (an idle thread costs about 1 MiB under Wine); the next task starts another. The queue, the
// running flag and whether a worker is alive are guarded by one critical section: the worker
// decides to end under it only when the queue is empty, and AddTask queues and tests for a
// live worker under it, so a task never waits for a worker that has gone. "work" is an
// auto-reset event: every AddTask and Destroy sets it, and the worker drains the whole queue
// after each wake-up, so no task is left waiting for a signal that was merged with an earlier
// one.
#include "share.h"

#include <ScopedWin.h>
#include <SoleWorker.h>

#include <deque>

namespace ShareLib {

namespace {
const DWORD kDefaultIdleMs = 60000;
}

struct CTaskQueueThread::Impl {
  win::CriticalSection lock;
  std::deque<CTask*> tasks;  // guarded by lock; owned
  bool running = false;  // guarded by lock; false tells the worker to end
  volatile DWORD idleMs = kDefaultIdleMs;
  win::AutoHandle work{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  win::SoleWorker worker;  // under lock, or joined in Destroy once running is false

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
    bool idle = WaitForSingleObject(work.get(), idleMs) == WAIT_TIMEOUT;
    for (;;) {
      CTask* task = nullptr;
      {
        win::ScopedLock hold(lock);
        if (!running || (idle && tasks.empty())) {
          worker.Ended();  // the last use of this object by this thread
          return;
        }
        if (tasks.empty()) break;
        task = tasks.front();
        tasks.pop_front();
      }
      idle = false;  // the idle time counts from the last task
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
  win::ScopedLock hold(m_impl->lock);
  m_impl->running = true;  // the worker starts with the first task
  return true;
}

void CTaskQueueThread::SetIdleExit(DWORD idleMs) {
  if (m_impl) m_impl->idleMs = idleMs;
}

bool CTaskQueueThread::AddTask(CTask* task) {
  if (!task) return false;
  bool queued = false;
  if (m_impl) {
    win::ScopedLock hold(m_impl->lock);
    if (m_impl->running && m_impl->worker.Ensure(Impl::ThreadMain, m_impl)) {
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
  if (!m_impl) return;
  bool onWorker;
  {
    win::ScopedLock hold(m_impl->lock);
    m_impl->running = false;  // from here on no worker is started
    onWorker = m_impl->worker.OnWorker();
  }
  SetEvent(m_impl->work.get());
  // From a task on the worker itself, waiting would never end; the worker stops after that
  // task. (The object must still outlive the worker: it must not be deleted from a task.)
  if (!onWorker) m_impl->worker.Join(INFINITE);
  m_impl->DeletePending();
}

}  // namespace ShareLib
