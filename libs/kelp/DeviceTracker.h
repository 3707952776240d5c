// The device watcher: one thread that holds host:track-devices-l open on the adb server and
// hands each list to its sink. When no server answers it tries again every second, and a lost
// server counts as every device gone.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include <ScopedWin.h>

#include "AdbWire.h"
#include "SocketRegistry.h"

namespace kelp {

class IDeviceListSink {
 public:
  // Called on the tracker thread with no lock of the tracker held.
  virtual void OnDeviceList(const std::vector<DeviceEntry>& list) = 0;
  virtual void OnServerLost() = 0;

 protected:
  ~IDeviceListSink() {}
};

class CDeviceTracker {
 public:
  CDeviceTracker(IDeviceListSink* sink, CSocketRegistry* registry);  // neither owned
  ~CDeviceTracker();  // stops the thread
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
  bool PollDevices(std::string& text);

  IDeviceListSink* m_sink;
  CSocketRegistry* m_registry;
  win::AutoHandle m_stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};  // set: end the thread
  win::AutoHandle m_thread;  // Start and Stop only (the owner's thread)
  DWORD m_threadId = 0;
};

}  // namespace kelp
