// kelp.dll's entry points: a client of the adb server's smart socket. Nothing leaves the
// library as an exception: every entry point catches and reports failure.
#include "KelpCommandImpl.h"

#include <TextConv.h>

#include "AdbCommands.h"
#include "AdbWire.h"

namespace {

void ClearOutput(std::string& output) {
  try {
    output.clear();
  } catch (...) {
  }
}

}  // namespace

CKelpCommand::Impl::Impl() {
  WSADATA data;
  wsaStarted = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

CKelpCommand::Impl::~Impl() {
  tracker.reset();
  if (wsaStarted) WSACleanup();
}

IKELPEventHandler* CKelpCommand::Impl::Handler() {
  win::ScopedLock hold(lock);
  return closed ? nullptr : handler;
}

std::string CKelpCommand::Impl::CurrentSerial() {
  win::ScopedLock hold(lock);
  return closed ? std::string() : current;
}

void CKelpCommand::Impl::OnDeviceList(const std::vector<kelp::DeviceEntry>& list) { Apply(diff.Update(list)); }

void CKelpCommand::Impl::OnServerLost() { Apply(diff.Clear()); }

void CKelpCommand::Impl::OnNoServer() {
  if (IKELPEventHandler* h = Handler()) h->OnDeviceReady("", kelp::kStatusNoServer);
}

void CKelpCommand::Impl::Apply(const std::vector<kelp::DeviceChange>& changes) {
  for (const kelp::DeviceChange& change : changes) {
    {
      win::ScopedLock hold(lock);
      if (change.kind == kelp::DeviceChange::kReady && change.status == kelp::kStatusReady)
        current = change.serial;  // before the notice: the handler's commands go to it
      else if (change.kind == kelp::DeviceChange::kRemove && current == change.serial)
        current.clear();
    }
    IKELPEventHandler* h = Handler();
    if (!h) continue;
    switch (change.kind) {
      case kelp::DeviceChange::kInsert: {
        std::wstring serial = text::Utf8ToWide(change.serial);
        std::string description = text::WideToAnsi(text::Utf8ToWide(change.description));
        h->OnDeviceInsert(serial.c_str(), description.c_str());
        break;
      }
      case kelp::DeviceChange::kReady:
        h->OnDeviceReady(change.serial.c_str(), change.status);
        break;
      case kelp::DeviceChange::kRemove:
        h->OnDeviceRemove(0);
        break;
    }
  }
}

CKelpCommand::CKelpCommand() : m_impl(nullptr) {
  try {
    m_impl = new Impl;
  } catch (...) {
  }
}

CKelpCommand::~CKelpCommand() {
  close();
  delete m_impl;
}

bool CKelpCommand::Init(IKELPEventHandler* handler) {
  if (!m_impl) return false;
  try {
    std::unique_ptr<kelp::CDeviceTracker> retired;
    {
      win::ScopedLock hold(m_impl->lock);
      m_impl->handler = handler;
      if (!m_impl->closed) return true;  // already watching: only the handler changes
      retired = std::move(m_impl->tracker);
    }
    if (retired) retired->Stop();  // one that close() could not join (closed from a callback)
    retired.reset();
    win::ScopedLock hold(m_impl->lock);
    m_impl->registry.Reopen();
    m_impl->closed = false;
    m_impl->current.clear();
    m_impl->diff = kelp::CDeviceDiff();  // a new watch reports every device afresh
    m_impl->tracker.reset(new kelp::CDeviceTracker(m_impl, &m_impl->registry));
    return m_impl->tracker->Start();
  } catch (...) {
    return false;
  }
}

int CKelpCommand::shell(const char* command, std::string& output, int timeoutMs, int /*reserved*/) {
  ClearOutput(output);
  if (!m_impl || !command) return kelp::kErrNoDevice;
  try {
    std::string serial = m_impl->CurrentSerial();
    if (serial.empty()) return kelp::kErrNoDevice;
    return kelp::RunShell(&m_impl->registry, serial, command, output, timeoutMs > 0 ? (uint32_t)timeoutMs : 0);
  } catch (...) {
    return kelp::kErrConnection;
  }
}

int CKelpCommand::Impl::Install(const std::wstring& apk, std::string& output) {
  std::string serial = CurrentSerial();
  if (serial.empty()) return kelp::kErrNoDevice;
  std::string name = kelp::BaseName(text::WideToUtf8(apk));
  if (name.empty()) return kelp::kErrLocalFile;
  // Push mode works on every device: copy to the temporary folder, install, remove.
  std::string remote = "/data/local/tmp/" + name;
  int result = kelp::PushFile(&registry, serial, apk, remote, kelp::ProgressFn(), &output);
  if (result != kelp::kOk) return result;
  const uint32_t kInstallIdleMs = 120000;  // the package manager can think for long
  result = kelp::RunShell(&registry, serial, "pm install -r " + kelp::ShellQuote(remote), output, kInstallIdleMs);
  std::string ignored;
  kelp::RunShell(&registry, serial, "rm -f " + kelp::ShellQuote(remote), ignored, 0);
  if (result != kelp::kOk) return result;
  return kelp::IsInstallSuccess(output) ? kelp::kOk : kelp::kErrDevice;
}

int CKelpCommand::install(const char* apkPath, bool userRequested, bool reserved, std::string& output) {
  ClearOutput(output);
  if (!apkPath) return kelp::kErrNoDevice;
  try {
    return install(text::AnsiToWide(apkPath).c_str(), userRequested, reserved, output);
  } catch (...) {
    return kelp::kErrConnection;
  }
}

int CKelpCommand::install(const wchar_t* apkPath, bool /*userRequested*/, bool /*reserved*/, std::string& output) {
  ClearOutput(output);
  if (!m_impl || !apkPath) return kelp::kErrNoDevice;
  try {
    return m_impl->Install(apkPath, output);
  } catch (...) {
    return kelp::kErrConnection;
  }
}

bool CKelpCommand::isSucceed(std::string output) {
  try {
    return kelp::IsInstallSuccess(output);
  } catch (...) {
    return false;
  }
}

int CKelpCommand::Impl::Push(const std::wstring& local, const char* remotePath, const std::string& file) {
  std::string serial = CurrentSerial();
  if (serial.empty()) return kelp::kErrNoDevice;
  if (local.empty()) return kelp::kErrLocalFile;
  int lastPercent = -1;
  // One notice per whole percent: enough for a progress bar, and bounded for huge files.
  kelp::ProgressFn progress = [this, &file, &lastPercent](int64_t done, int64_t total) {
    int percent = total > 0 ? (int)(done * 100 / total) : 100;
    if (percent == lastPercent) return;
    lastPercent = percent;
    IKELPEventHandler* h = Handler();
    if (!h) return;
    int done32 = 0, total32 = 0;
    kelp::ScaleProgress(done, total, done32, total32);
    h->OnPushProgress(file.c_str(), done32, total32);
  };
  return kelp::PushFile(&registry, serial, local, remotePath, progress);
}

int CKelpCommand::push(const char* localPath, const char* remotePath) {
  if (!m_impl || !localPath || !remotePath) return kelp::kErrNoDevice;
  try {
    return m_impl->Push(text::AnsiToWide(localPath), remotePath, localPath);
  } catch (...) {
    return kelp::kErrConnection;
  }
}

int CKelpCommand::push(const wchar_t* localPath, const char* remotePath) {
  if (!m_impl || !localPath || !remotePath) return kelp::kErrNoDevice;
  try {
    // The notices keep their narrow text: a name the code page cannot spell arrives with "?".
    return m_impl->Push(localPath, remotePath, text::WideToAnsi(localPath));
  } catch (...) {
    return kelp::kErrConnection;
  }
}

bool CKelpCommand::startActivity(const char* component, const char* /*reserved*/) {
  if (!m_impl || !component || !*component) return false;
  try {
    std::string serial = m_impl->CurrentSerial();
    if (serial.empty()) return false;
    std::string output;
    int result = kelp::RunShell(&m_impl->registry, serial, std::string("am start -n ") + kelp::ShellQuote(component),
                                output, 0);
    return result == kelp::kOk && kelp::IsActivityStarted(output);
  } catch (...) {
    return false;
  }
}

int CKelpCommand::forward(int localPort, int devicePort) {
  if (!m_impl) return kelp::kErrNoDevice;
  try {
    std::string serial = m_impl->CurrentSerial();
    if (serial.empty()) return kelp::kErrNoDevice;
    return kelp::Forward(&m_impl->registry, serial, localPort, devicePort);
  } catch (...) {
    return kelp::kErrConnection;
  }
}

void CKelpCommand::close() {
  if (!m_impl) return;
  try {
    std::unique_ptr<kelp::CDeviceTracker> joined;
    {
      win::ScopedLock hold(m_impl->lock);
      m_impl->closed = true;
      m_impl->handler = nullptr;
      m_impl->current.clear();
      m_impl->registry.ShutAll();  // running calls and the tracker's read return now
      if (m_impl->tracker) {
        if (m_impl->tracker->OnTrackerThread())
          m_impl->tracker->Stop();  // from a callback: only asks; Init or the destructor joins
        else
          joined = std::move(m_impl->tracker);
      }
    }
    if (joined) joined->Stop();
  } catch (...) {
  }
}
