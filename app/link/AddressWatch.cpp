// The address-change watch, served by the shared wait loop.
#include "AddressWatch.h"

#include <winsock2.h>
#include <iphlpapi.h>

#include <algorithm>

namespace {

class SystemNotifier : public IAddressNotifier {
 public:
  bool Request(HANDLE* handle, OVERLAPPED* ov) override {
    DWORD r = NotifyAddrChange(handle, ov);
    return r == ERROR_IO_PENDING || r == NO_ERROR;
  }
  void Cancel(OVERLAPPED* ov) override { CancelIPChangeNotify(ov); }
};

SystemNotifier s_system;  // holds no state

}  // namespace

CAddressWatch::CAddressWatch(std::atomic<bool>* running, RefreshFn refresh, void* context,
                             IAddressNotifier* notifier, CWaitLoop* loop)
    : m_running(running),
      m_refresh(refresh),
      m_context(context),
      m_notifier(notifier ? notifier : &s_system),
      m_loop(loop ? loop : &m_ownLoop),
      m_event(WSACreateEvent()) {}

CAddressWatch::~CAddressWatch() {
  if (m_running) *m_running = false;
  m_loop->Remove(this);
  Withdraw();  // the loop has let go: its fields are ours now
}

bool CAddressWatch::StartIfStopped() {
  if (!m_running || m_running->exchange(true)) return false;
  if (!m_loop->Add(this)) {
    *m_running = false;
    return false;
  }
  return true;
}

bool CAddressWatch::Request() {
  if (!m_event) return false;
  OVERLAPPED fresh = {};
  fresh.hEvent = m_event.get();
  m_ov = fresh;
  m_pending = m_notifier->Request(&m_notifyHandle, &m_ov);
  m_since = GetTickCount();
  return m_pending;
}

void CAddressWatch::Withdraw() {
  if (m_pending) m_notifier->Cancel(&m_ov);
  m_pending = false;
}

void CAddressWatch::Leave() {
  Withdraw();
  m_joined = m_settling = false;
  m_loop->Remove(this);
  // A start that came between the test of the flag and the removal found the watch still
  // listed and did not join: join for it.
  if (*m_running) m_loop->Add(this);
}

DWORD CAddressWatch::Serve() {
  if (!m_running || !*m_running) {
    Leave();
    return INFINITE;
  }
  DWORD now = GetTickCount();
  if (!m_joined) {
    m_joined = true;
    Request();
    return m_pollMs;
  }
  if (m_settling) {
    DWORD passed = now - m_since;
    if (passed < m_settleMs) return std::min(m_settleMs - passed, m_pollMs);
    m_settling = false;
    if (m_refresh) m_refresh(m_context);
    Request();
    return m_pollMs;
  }
  if (m_pending) {
    if (WaitForSingleObject(m_event.get(), 0) != WAIT_OBJECT_0) return m_pollMs;
    ResetEvent(m_event.get());
    m_pending = false;
    m_settling = true;
    m_since = now;
    return std::min(m_settleMs, m_pollMs);
  }
  // A failed request is made again after a poll interval rather than at once, so as not to spin.
  DWORD passed = now - m_since;
  if (passed < m_pollMs) return m_pollMs - passed;
  Request();
  return m_pollMs;
}
