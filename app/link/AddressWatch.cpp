// The address-change watch thread.
#include "AddressWatch.h"

#include <winsock2.h>
#include <iphlpapi.h>

namespace {

class SystemNotifier : public IAddressNotifier {
 public:
  bool Request(HANDLE* handle, OVERLAPPED* ov) override {
    DWORD r = NotifyAddrChange(handle, ov);
    return r == ERROR_IO_PENDING || r == NO_ERROR;
  }
  void Cancel(OVERLAPPED* ov) override { CancelIPChangeNotify(ov); }
};

}  // namespace

CAddressWatch::CAddressWatch(std::atomic<bool>* running, RefreshFn refresh, void* context,
                             IAddressNotifier* notifier)
    : m_running(running),
      m_refresh(refresh),
      m_context(context),
      m_notifier(notifier),
      m_quit(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CAddressWatch::~CAddressWatch() {
  if (m_running) *m_running = false;
  SetEvent(m_quit.get());
  m_threads.WaitIdle(m_pollMs + 1000);
}

bool CAddressWatch::StartIfStopped() {
  if (!m_running || m_running->exchange(true)) return false;
  if (!m_threads.Start(&CAddressWatch::WatchProc, this)) {
    *m_running = false;
    return false;
  }
  return true;
}

DWORD WINAPI CAddressWatch::WatchProc(void* arg) {
  CAddressWatch* self = static_cast<CAddressWatch*>(arg);
  self->Watch();
  self->m_threads.Leave();
  return 0;
}

void CAddressWatch::Watch() {
  SystemNotifier system;
  IAddressNotifier* notifier = m_notifier ? m_notifier : &system;
  win::AutoHandle event(WSACreateEvent());
  if (!event) return;
  OVERLAPPED ov = {};
  ov.hEvent = event.get();
  HANDLE handle = nullptr;
  bool pending = notifier->Request(&handle, &ov);
  while (*m_running) {
    if (!pending) {  // ask again after a failed request rather than spin
      if (WaitForSingleObject(m_quit.get(), m_pollMs) == WAIT_OBJECT_0) break;
      pending = notifier->Request(&handle, &ov);
      continue;
    }
    // The quit event wakes the watch at once, so stopping never waits out a poll interval.
    HANDLE waits[2] = {event.get(), m_quit.get()};
    DWORD woke = WaitForMultipleObjects(2, waits, FALSE, m_pollMs);
    if (woke == WAIT_OBJECT_0 + 1) break;
    if (woke != WAIT_OBJECT_0) continue;
    ResetEvent(event.get());
    pending = false;
    if (WaitForSingleObject(m_quit.get(), m_settleMs) == WAIT_OBJECT_0) break;
    if (!*m_running) break;
    if (m_refresh) m_refresh(m_context);
    pending = notifier->Request(&handle, &ov);
  }
  if (pending) notifier->Cancel(&ov);
}
