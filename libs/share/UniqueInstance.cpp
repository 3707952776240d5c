// Single-instance guard: a named mutex held until the process ends.
#include "share.h"

namespace ShareLib {
namespace {

void ActivateRunningCopy(const wchar_t* windowClass, const wchar_t* windowTitle) {
  HWND wnd = FindWindowW(windowClass, windowTitle);
  if (!wnd) return;
  ShowWindow(wnd, IsIconic(wnd) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(wnd);
}

}  // namespace

bool UniqueInstance(const wchar_t* mutexName, const wchar_t* windowClass, const wchar_t* windowTitle,
                    bool activateRunning, bool exitIfRunning) {
  if (!mutexName || !*mutexName) return false;
  HANDLE mutex = CreateMutexW(nullptr, FALSE, mutexName);
  DWORD error = GetLastError();
  if (mutex && error != ERROR_ALREADY_EXISTS) {
    // Deliberately never closed: the name stays taken for the life of the process.
    return true;
  }
  if (mutex) CloseHandle(mutex);
  // ERROR_ACCESS_DENIED: the mutex exists but belongs to another user's session. Any other
  // failure (a malformed name) says nothing about a running copy, so this one is not ended.
  bool running = error == ERROR_ALREADY_EXISTS || error == ERROR_ACCESS_DENIED;
  if (running && exitIfRunning) {
    if (activateRunning && (windowClass || windowTitle)) ActivateRunningCopy(windowClass, windowTitle);
    ExitProcess(0);
  }
  return false;
}

}  // namespace ShareLib
