// Push percent and exact ANSI paths: see TransferText.h.
#include "TransferText.h"

#include <windows.h>

#include <TextConv.h>

int PushPercent(int64_t done, int64_t total) {
  if (total <= 0) return 100;
  int64_t percent = done * 100 / total;
  if (percent < 0) return 0;
  return percent > 100 ? 100 : (int)percent;
}

bool ToAnsiExact(const std::wstring& path, std::string& ansi) {
  ansi.clear();
  if (path.empty()) return false;
  BOOL usedDefault = FALSE;
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  BOOL* used = &usedDefault;
  int n = WideCharToMultiByte(CP_THREAD_ACP, flags, path.data(), (int)path.size(), nullptr, 0, nullptr, used);
  if (n <= 0 && GetLastError() == ERROR_INVALID_PARAMETER) {
    // A UTF-8 ANSI page takes neither the flag nor the default-character report; the round
    // trip below still catches every loss.
    flags = 0;
    used = nullptr;
    n = WideCharToMultiByte(CP_THREAD_ACP, flags, path.data(), (int)path.size(), nullptr, 0, nullptr, used);
  }
  if (n <= 0 || usedDefault) return false;
  std::string out(n, '\0');
  WideCharToMultiByte(CP_THREAD_ACP, flags, path.data(), (int)path.size(), &out[0], n, nullptr, used);
  if (usedDefault || text::AnsiToWide(out) != path) return false;
  ansi.swap(out);
  return true;
}

bool ToAnsiPath(const std::wstring& path, std::string& ansi) {
  if (ToAnsiExact(path, ansi)) return true;
  // A name outside the code page (Chinese on a Western system, an emoji anywhere) is still
  // reachable through its short name.
  DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (n == 0) return false;
  std::wstring shortPath(n, L'\0');
  n = GetShortPathNameW(path.c_str(), &shortPath[0], n);
  if (n == 0 || n >= shortPath.size()) return false;
  shortPath.resize(n);
  return shortPath != path && ToAnsiExact(shortPath, ansi);
}
