// The device watcher: one thread that follows the adb server's device list and hands each
// list to its sink. It asks the server's version first and streams host:track-devices-l, or
// the short stream plus host:devices-l on a server too old for the long one (TrackPlan.h).
// When nothing answers on 127.0.0.1:5037 it looks for the platform tools' adb.exe and starts
// its server; when none can be had it tells the sink once, and tries again every second. A
// lost server counts as every device gone.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <ScopedWin.h>

#include "AdbWire.h"
#include "SocketRegistry.h"
#include "TrackPlan.h"

namespace kelp {

class CAdbConnection;

class IDeviceListSink {
 public:
  // Called on the tracker thread with no lock of the tracker held.
  virtual void OnDeviceList(const std::vector<DeviceEntry>& list) = 0;
  virtual void OnServerLost() = 0;
  // No server answers and none could be started (no adb.exe found, or it did not start one).
  // Once until a server answers again.
  virtual void OnNoServer() = 0;

 protected:
  ~IDeviceListSink() {}
};

class CDeviceTracker {
 public:
  CDeviceTracker(IDeviceListSink* sink, CSocketRegistry* registry);  // neither owned
  ~CDeviceTracker();                                                 // stops the thread
  CDeviceTracker(const CDeviceTracker&) = delete;
  CDeviceTracker& operator=(const CDeviceTracker&) = delete;

  bool Start();
  // Ends the thread: the registry must have been shut first so that a blocking read returns.
  // From the tracker thread itself (a sink callback) it only asks the thread to end.
  void Stop();
  bool OnTrackerThread() const { return GetCurrentThreadId() == m_threadId; }

 private:
  static DWORD WINAPI ThreadMain(void* param);
  void Run();
  void Track();
  bool Stopping() const { return WaitForSingleObject(m_stop.get(), 0) != WAIT_TIMEOUT; }
  // Connects, starting the platform tools' server when nothing answers.
  bool ConnectOrStartServer(CAdbConnection& connection);
  int QueryVersion(CAdbConnection& query);  // host:version on a connected connection
  void Follow(CAdbConnection& connection);
  bool PollDevices(std::string& text);

  IDeviceListSink* m_sink;
  CSocketRegistry* m_registry;
  win::AutoHandle m_stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};  // set: end the thread
  win::AutoHandle m_thread;  // Start and Stop only (the owner's thread)
  DWORD m_threadId = 0;
  // Tracker thread only:
  CTrackPlan m_plan;
  bool m_noServerTold = false;
  bool m_searched = false;  // adb.exe was looked for since the last server answered
  DWORD m_lastSearchTick = 0;
};

}  // namespace kelp
