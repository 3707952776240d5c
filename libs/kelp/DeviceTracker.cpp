// The device watcher thread: see DeviceTracker.h.
#include "DeviceTracker.h"

#include "AdbConnection.h"
#include "AdbServerStart.h"

namespace kelp {

namespace {
const DWORD kConnectTimeoutMs = 3000;
const DWORD kRetryMs = 1000;
const DWORD kPollMs = 1000;
// adb start-server returns once the server has scanned for devices: seconds at most.
const DWORD kStartTimeoutMs = 30000;
// After a search or start that gave no server, the next one waits this long: the search reads
// a file's attributes in every PATH folder (slow where one is an absent network share), and
// adb.exe is not run every second on a PC where it cannot work.
const DWORD kSearchAgainMs = 10000;

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
  while (!Stopping()) {
    try {
      Track();
    } catch (...) {
    }
    m_sink->OnServerLost();
    if (WaitForSingleObject(m_stop.get(), kRetryMs) != WAIT_TIMEOUT) break;
  }
}

bool CDeviceTracker::ConnectOrStartServer(CAdbConnection& connection) {
  if (connection.Connect(kConnectTimeoutMs)) return true;
  if (Stopping()) return false;
  if (!m_searched || GetTickCount() - m_lastSearchTick >= kSearchAgainMs) {
    m_searched = true;
    m_lastSearchTick = GetTickCount();
    std::wstring adb = FindAdb();
    if (!adb.empty()) {
      // Whatever its exit code, the server may be up (one another program started meanwhile).
      StartAdbServer(adb, kAdbServerPort, m_stop.get(), kStartTimeoutMs);
      if (connection.Connect(kConnectTimeoutMs)) return true;
    }
  }
  if (!m_noServerTold && !Stopping()) {
    m_noServerTold = true;
    m_sink->OnNoServer();
  }
  return false;
}

int CDeviceTracker::QueryVersion(CAdbConnection& query) {
  query.SetIdleTimeout(kConnectTimeoutMs);
  std::string block;
  if (!query.Request("host:version") || !query.ReadHexBlock(block)) return -1;
  return ParseServerVersion(block);
}

void CDeviceTracker::Track() {
  {
    CAdbConnection query(m_registry);  // a one-shot query: the server closes the connection
    if (!ConnectOrStartServer(query)) return;
    m_noServerTold = false;
    m_searched = false;  // a server lost later is looked for at once
    m_plan.OnVersion(QueryVersion(query));
  }
  // A refusal of the long stream is answered at once with the short one.
  for (int attempt = 0; attempt < 2 && !Stopping(); ++attempt) {
    CAdbConnection connection(m_registry);
    if (!connection.Connect(kConnectTimeoutMs)) return;
    if (connection.Request(m_plan.Request())) {
      Follow(connection);
      return;
    }
    if (!connection.Refused()) return;
    m_plan.OnRefused();
  }
}

void CDeviceTracker::Follow(CAdbConnection& connection) {
  // The server sends a list at once and then one per change; no idle limit here. It does not
  // announce every change, though (a phone going from offline to unauthorized is not sent),
  // so while a device is not ready the full list is also polled every second.
  bool settled = true;
  for (;;) {
    std::string text;
    if (!settled && !WaitReadable(connection.Socket(), kPollMs)) {
      if (!PollDevices(text)) return;
    } else {
      if (!connection.ReadHexBlock(text)) return;
      // The short stream names no models: the long list, taken now, does.
      std::string full;
      if (m_plan.PollsLongList() && PollDevices(full)) text.swap(full);
    }
    if (Stopping()) return;
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
