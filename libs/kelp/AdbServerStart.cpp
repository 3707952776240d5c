// adb.exe's search and start: see AdbServerStart.h.
#include "AdbServerStart.h"

#include <vector>

#include <ScopedWin.h>

#include "AdbPlaces.h"

namespace kelp {

namespace {

std::wstring Env(const wchar_t* name) {
  DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
  if (n == 0) return std::wstring();
  std::wstring value(n, L'\0');
  n = GetEnvironmentVariableW(name, &value[0], n);
  value.resize(n < value.size() ? n : 0);
  return value;
}

std::wstring ProgramDir() {
  std::wstring path(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, &path[0], (DWORD)path.size());
  if (n == 0 || n >= path.size()) return std::wstring();
  path.resize(n);
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool IsFile(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::wstring FindAdb() {
  AdbPlaces places;
  places.programDir = ProgramDir();
  places.path = Env(L"PATH");
  places.androidHome = Env(L"ANDROID_HOME");
  places.androidSdkRoot = Env(L"ANDROID_SDK_ROOT");
  places.localAppData = Env(L"LOCALAPPDATA");
  places.programFiles = Env(L"ProgramFiles");
  places.programFilesX86 = Env(L"ProgramFiles(x86)");
  for (const std::wstring& candidate : AdbCandidates(places))
    if (IsFile(candidate)) return candidate;
  return std::wstring();
}

bool StartAdbServer(const std::wstring& adb, uint16_t port, HANDLE stop, DWORD timeoutMs) {
  std::wstring command = L"\"" + adb + L"\" -P " + std::to_wstring(port) + L" start-server";
  std::vector<wchar_t> line(command.begin(), command.end());
  line.push_back(L'\0');
  // The server lives on after this process: it starts in adb's own folder, so that it holds
  // no folder of the user's open.
  size_t slash = adb.find_last_of(L"\\/");
  std::wstring dir = slash == std::wstring::npos ? std::wstring() : adb.substr(0, slash + 1);
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(adb.c_str(), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      dir.empty() ? nullptr : dir.c_str(), &startup, &info))
    return false;
  win::AutoHandle process(info.hProcess);
  win::AutoHandle thread(info.hThread);
  HANDLE waits[2] = {process.get(), stop};
  if (WaitForMultipleObjects(stop ? 2 : 1, waits, FALSE, timeoutMs) != WAIT_OBJECT_0) return false;
  DWORD code = 1;
  return GetExitCodeProcess(process.get(), &code) && code == 0;
}

}  // namespace kelp
