// CAddressWatch: reruns discovery when the PC's network address changes. While the owner's
// running flag is set it waits on NotifyAddrChange, served by a wait loop it shares with
// discovery (no thread of its own); after a change it lets the network settle for 5000 ms,
// refreshes and asks again. The flag is tested every 2000 ms.
#pragma once

#include <windows.h>

#include <atomic>

#include <ScopedWin.h>

#include "WaitLoop.h"

// Where the watch learns of address changes; the system's NotifyAddrChange by default.
class IAddressNotifier {
 public:
  virtual ~IAddressNotifier() {}
  // Asks for one notice: ov's event is signalled at the next change. False when that failed.
  virtual bool Request(HANDLE* handle, OVERLAPPED* ov) = 0;
  // Withdraws an outstanding request.
  virtual void Cancel(OVERLAPPED* ov) = 0;
};

class CAddressWatch : private IWaiter {
 public:
  static const DWORD kPollMs = 2000;
  static const DWORD kSettleMs = 5000;

  typedef void (*RefreshFn)(void* context);

  // running: the owner's flag; the watch runs while it is set. refresh(context) reruns
  // discovery, on the loop's thread. notifier: null for the system's. loop: the shared one,
  // or null for one of the watch's own.
  CAddressWatch(std::atomic<bool>* running, RefreshFn refresh, void* context,
                IAddressNotifier* notifier = nullptr, CWaitLoop* loop = nullptr);
  ~CAddressWatch() override;  // clears the flag and leaves the loop
  CAddressWatch(const CAddressWatch&) = delete;
  CAddressWatch& operator=(const CAddressWatch&) = delete;

  // Sets the flag and joins the loop, unless the flag was already set. True when it joined.
  bool StartIfStopped();
  // True while the loop serves the watch: from the start until the loop finds the flag
  // cleared, within a poll interval.
  bool Active() { return m_loop->Serves(this); }
  // Pause lengths; tests shorten them.
  void SetTimes(DWORD pollMs, DWORD settleMs) {
    m_pollMs = pollMs;
    m_settleMs = settleMs;
  }

 private:
  // IWaiter, on the loop's thread.
  HANDLE WaitEvent() override { return m_pending && !m_settling ? m_event.get() : nullptr; }
  DWORD Serve() override;
  bool Request();
  void Withdraw();  // cancels an outstanding request
  void Leave();

  std::atomic<bool>* m_running;  // the owner's flag, written by any thread
  RefreshFn m_refresh;
  void* m_context;
  IAddressNotifier* m_notifier;  // the owner's, or m_system
  CWaitLoop m_ownLoop;           // used when no loop was given
  CWaitLoop* m_loop;
  DWORD m_pollMs = kPollMs;
  DWORD m_settleMs = kSettleMs;
  win::AutoHandle m_event;
  // Loop thread only (and the destructor, once the loop has let go):
  OVERLAPPED m_ov = {};
  HANDLE m_notifyHandle = nullptr;
  bool m_joined = false;    // served since it joined the loop
  bool m_pending = false;   // a request is outstanding
  bool m_settling = false;  // a change came; the refresh waits for the network to settle
  DWORD m_since = 0;        // tick of the last request, or of the change while settling
};
