// An IKELPEventHandler that records every notice (from the library's threads) for the tests.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <ScopedWin.h>
#include <kelp.h>

struct KelpNotice {
  enum Kind { kInsert, kRemove, kReady, kProgress } kind;
  std::wstring serial;      // kInsert
  std::string text;         // kInsert: description; kReady: device id; kProgress: file
  int status = 0;           // kReady
  int done = 0, total = 0;  // kProgress
};

class RecordingHandler : public IKELPEventHandler {
 public:
  void OnDeviceInsert(const wchar_t* serial, const char* description) override {
    Add({KelpNotice::kInsert, serial ? serial : L"", description ? description : ""});
  }
  void OnDeviceRemove(uint32_t) override { Add({KelpNotice::kRemove}); }
  void OnDeviceReady(const char* deviceId, int status) override {
    KelpNotice n{KelpNotice::kReady, L"", deviceId ? deviceId : ""};
    n.status = status;
    if (onReady) onReady(n);  // before recording: a waiter sees the notice once it was handled
    Add(n);
  }
  void OnPushProgress(const char* file, int done, int total) override {
    KelpNotice n{KelpNotice::kProgress, L"", file ? file : ""};
    n.done = done;
    n.total = total;
    Add(n);
  }

  std::vector<KelpNotice> Notices() {
    win::ScopedLock hold(m_lock);
    return m_notices;
  }
  int Count(KelpNotice::Kind kind, int status = -1) {
    int n = 0;
    for (const KelpNotice& k : Notices())
      if (k.kind == kind && (status < 0 || k.status == status)) ++n;
    return n;
  }
  void Clear() {
    win::ScopedLock hold(m_lock);
    m_notices.clear();
  }

  std::function<void(const KelpNotice&)> onReady;  // set before Init; runs on the library's thread

 private:
  void Add(const KelpNotice& n) {
    win::ScopedLock hold(m_lock);
    m_notices.push_back(n);
  }
  win::CriticalSection m_lock;
  std::vector<KelpNotice> m_notices;
};
