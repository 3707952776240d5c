// Conversions between the narrow code pages (UTF-8, the thread's ANSI page) and UTF-16.
#pragma once

#include <windows.h>
#include <string>

namespace text {

inline std::wstring ToWide(const std::string& s, UINT codePage = CP_UTF8) {
  if (s.empty()) return std::wstring();
  int n = ::MultiByteToWideChar(codePage, 0, s.data(), (int)s.size(), nullptr, 0);
  std::wstring out(n > 0 ? n : 0, L'\0');
  if (n > 0) ::MultiByteToWideChar(codePage, 0, s.data(), (int)s.size(), &out[0], n);
  return out;
}

inline std::string ToNarrow(const std::wstring& s, UINT codePage = CP_UTF8) {
  if (s.empty()) return std::string();
  int n = ::WideCharToMultiByte(codePage, 0, s.data(), (int)s.size(), nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '\0');
  if (n > 0) ::WideCharToMultiByte(codePage, 0, s.data(), (int)s.size(), &out[0], n, nullptr, nullptr);
  return out;
}

inline std::wstring Utf8ToWide(const std::string& s) { return ToWide(s, CP_UTF8); }
inline std::string WideToUtf8(const std::wstring& s) { return ToNarrow(s, CP_UTF8); }
// The thread's ANSI code page, as the device bridge library and PathFind* callers expect.
inline std::wstring AnsiToWide(const std::string& s) { return ToWide(s, CP_THREAD_ACP); }
inline std::string WideToAnsi(const std::wstring& s) { return ToNarrow(s, CP_THREAD_ACP); }

}  // namespace text
