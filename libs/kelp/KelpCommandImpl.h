// State of CKelpCommand: the handler, the device that commands go to, the device watcher and
// the sockets of running calls.
//
// Threads: Init and close come from the program's thread (or from inside a callback); the
// tracker thread delivers device notices; any thread may run commands at the same time.
// No lock is held during a callback or during socket I/O.
#pragma once

#include "kelp.h"

#include <memory>
#include <string>

#include <ScopedWin.h>

#include "DeviceDiff.h"
#include "DeviceTracker.h"
#include "SocketRegistry.h"

struct CKelpCommand::Impl final : kelp::IDeviceListSink {
  Impl();
  ~Impl();

  void OnDeviceList(const std::vector<kelp::DeviceEntry>& list) override;
  void OnServerLost() override;
  void OnNoServer() override;
  void Apply(const std::vector<kelp::DeviceChange>& changes);

  IKELPEventHandler* Handler();
  std::string CurrentSerial();  // empty: no device ready, or closed
  // The commands behind both forms of push and install; file is the progress notices' text.
  int Push(const std::wstring& local, const char* remotePath, const std::string& file);
  int Install(const std::wstring& apk, std::string& output);

  win::CriticalSection lock;
  IKELPEventHandler* handler = nullptr;       // not owned; guarded by lock
  std::string current;                        // guarded by lock: the device last reported ready
  bool closed = true;                         // guarded by lock
  std::unique_ptr<kelp::CDeviceTracker> tracker;  // guarded by lock; joined outside it
  kelp::CSocketRegistry registry;             // its own lock
  kelp::CDeviceDiff diff;                     // tracker thread only
  bool wsaStarted = false;
};
