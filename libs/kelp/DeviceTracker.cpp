// The device watcher thread: see DeviceTracker.h.
#include "DeviceTracker.h"

#include "AdbConnection.h"

namespace kelp {

namespace {
const DWORD kConnectTimeoutMs = 3000;
const DWORD kRetryMs = 1000;
const DWORD kPollMs = 1000;

bool WaitReadable(SOCKET s, DWORD ms) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(s, &readable);
  timeval tv = {(long)(ms / 1000), (long)((ms % 1000) * 1000)};
  return select(0, &readable, nullptr, nullptr, &tv) != 0;  // an error counts: the read reports it
}

// Hands the list on; true when every device in it is ready (nothing to poll for).
bool Settled(IDeviceListSink* sink, const std::vector<DeviceEntry>& list) {
  sink->OnDeviceList(list);
  for (const DeviceEntry& entry : list)
    if (DeviceStatusFromState(entry.state) != kStatusReady) return false;
  return true;
}
}  // namespace

CDeviceTracker::CDeviceTracker(IDeviceListSink* sink, CSocketRegistry* registry)
    : m_sink(sink), m_registry(registry) {}

CDeviceTracker::~CDeviceTracker() { Stop(); }

bool CDeviceTracker::Start() {
  if (m_thread || !m_stop) return m_thread.valid();
  ResetEvent(m_stop.get());
  m_thread.reset(CreateThread(nullptr, 0, ThreadMain, this, 0, &m_threadId));
  return m_thread.valid();
}

void CDeviceTracker::Stop() {
  if (!m_thread) return;
  SetEvent(m_stop.get());
  if (GetCurrentThreadId() == m_threadId) return;  // the thread ends after the callback
  WaitForSingleObject(m_thread.get(), INFINITE);
  m_thread.reset();
  m_threadId = 0;
}

DWORD WINAPI CDeviceTracker::ThreadMain(void* param) {
  static_cast<CDeviceTracker*>(param)->Run();
  return 0;
}

void CDeviceTracker::Run() {
  while (WaitForSingleObject(m_stop.get(), 0) == WAIT_TIMEOUT) {
    try {
      Track();
    } catch (...) {
    }
    m_sink->OnServerLost();
    if (WaitForSingleObject(m_stop.get(), kRetryMs) != WAIT_TIMEOUT) break;
  }
}

void CDeviceTracker::Track() {
  CAdbConnection connection(m_registry);
  if (!connection.Connect(kConnectTimeoutMs)) return;
  if (!connection.Request("host:track-devices-l")) return;
  // The server sends a list at once and then one per change; no idle limit here. It does not
  // announce every change, though (a phone going from offline to unauthorized is not sent),
  // so while a device is not ready the full list is also polled every second.
  bool settled = true;
  for (;;) {
    if (!settled && !WaitReadable(connection.Socket(), kPollMs)) {
      std::string text;
      if (!PollDevices(text)) return;
      if (WaitForSingleObject(m_stop.get(), 0) != WAIT_TIMEOUT) return;
      settled = Settled(m_sink, ParseDeviceList(text));
      continue;
    }
    std::string text;
    if (!connection.ReadHexBlock(text)) return;
    if (WaitForSingleObject(m_stop.get(), 0) != WAIT_TIMEOUT) return;
    settled = Settled(m_sink, ParseDeviceList(text));
  }
}

bool CDeviceTracker::PollDevices(std::string& text) {
  CAdbConnection poll(m_registry);
  if (!poll.Connect(kConnectTimeoutMs)) return false;
  poll.SetIdleTimeout(kConnectTimeoutMs);
  return poll.Request("host:devices-l") && poll.ReadHexBlock(text);
}

}  // namespace kelp
