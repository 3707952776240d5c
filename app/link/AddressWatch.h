// CAddressWatch: reruns discovery when the PC's network address changes. A thread of its own
// waits on NotifyAddrChange while the owner's running flag is set; after a change it lets the
// network settle for 5000 ms, refreshes and asks again. The flag is tested every 2000 ms.
#pragma once

#include <windows.h>

#include <atomic>

#include <ScopedWin.h>

#include "ThreadGroup.h"

// Where the watch learns of address changes; the system's NotifyAddrChange by default.
class IAddressNotifier {
 public:
  virtual ~IAddressNotifier() {}
  // Asks for one notice: ov's event is signalled at the next change. False when that failed.
  virtual bool Request(HANDLE* handle, OVERLAPPED* ov) = 0;
  // Withdraws an outstanding request.
  virtual void Cancel(OVERLAPPED* ov) = 0;
};

class CAddressWatch {
 public:
  static const DWORD kPollMs = 2000;
  static const DWORD kSettleMs = 5000;

  typedef void (*RefreshFn)(void* context);

  // running: the owner's flag; the thread runs while it is set. refresh(context) reruns
  // discovery. notifier: null for the system's.
  CAddressWatch(std::atomic<bool>* running, RefreshFn refresh, void* context,
                IAddressNotifier* notifier = nullptr);
  ~CAddressWatch();  // clears the flag and waits for the thread
  CAddressWatch(const CAddressWatch&) = delete;
  CAddressWatch& operator=(const CAddressWatch&) = delete;

  // Sets the flag and starts the thread, unless the flag was already set. True when a thread
  // was started.
  bool StartIfStopped();
  // Threads still running (one at most, unless a cleared flag was set again within 2 s).
  LONG Threads() const { return m_threads.Count(); }
  // Pause lengths; tests shorten them.
  void SetTimes(DWORD pollMs, DWORD settleMs) {
    m_pollMs = pollMs;
    m_settleMs = settleMs;
  }

 private:
  static DWORD WINAPI WatchProc(void* arg);
  void Watch();

  std::atomic<bool>* m_running;  // the owner's flag, written by any thread
  RefreshFn m_refresh;
  void* m_context;
  IAddressNotifier* m_notifier;  // not owned; null: the system's
  DWORD m_pollMs = kPollMs;
  DWORD m_settleMs = kSettleMs;
  win::AutoHandle m_quit;  // set by the destructor: cuts the settle pause short
  CThreadGroup m_threads;
};
