// The candidate list of adb.exe paths: see AdbPlaces.h.
#include "AdbPlaces.h"

#include <wctype.h>

namespace kelp {

namespace {

std::wstring Trimmed(const std::wstring& s) {
  size_t b = s.find_first_not_of(L" \t");
  if (b == std::wstring::npos) return std::wstring();
  size_t e = s.find_last_not_of(L" \t");
  return s.substr(b, e - b + 1);
}

// "C:\x" or "\\server\share": a folder that does not depend on the current one.
bool IsAbsolute(const std::wstring& dir) {
  if (dir.size() >= 3 && iswalpha(dir[0]) && dir[1] == L':' && (dir[2] == L'\\' || dir[2] == L'/'))
    return true;
  return dir.size() >= 3 && dir[0] == L'\\' && dir[1] == L'\\' && dir[2] != L'\\';
}

// A folder as given: without quotes and trailing separators; empty when not usable.
std::wstring CleanDir(std::wstring dir) {
  dir = Trimmed(dir);
  if (dir.size() >= 2 && dir.front() == L'"' && dir.back() == L'"')
    dir = Trimmed(dir.substr(1, dir.size() - 2));
  while (dir.size() > 3 && (dir.back() == L'\\' || dir.back() == L'/')) dir.pop_back();
  if (dir.find(L'%') != std::wstring::npos || dir.find(L'"') != std::wstring::npos || !IsAbsolute(dir))
    return std::wstring();
  return dir;
}

std::wstring Lower(std::wstring s) {
  for (wchar_t& c : s) c = (wchar_t)towlower(c);
  return s;
}

class CandidateList {
 public:
  // Adds dir\tail\adb.exe (tail may be empty) when dir is usable.
  void Add(const std::wstring& dir, const wchar_t* tail = L"") {
    std::wstring clean = CleanDir(dir);
    if (clean.empty()) return;
    if (clean.back() != L'\\' && clean.back() != L'/') clean += L'\\';
    std::wstring full = clean + tail + (*tail ? L"\\" : L"") + L"adb.exe";
    std::wstring key = Lower(full);
    for (wchar_t& c : key)
      if (c == L'/') c = L'\\';
    for (const std::wstring& seen : m_keys)
      if (seen == key) return;
    m_keys.push_back(key);
    m_paths.push_back(full);
  }
  std::vector<std::wstring> Take() { return m_paths; }

 private:
  std::vector<std::wstring> m_paths;
  std::vector<std::wstring> m_keys;
};

}  // namespace

std::vector<std::wstring> AdbCandidates(const AdbPlaces& places) {
  CandidateList list;
  list.Add(places.programDir);
  list.Add(places.programDir, L"platform-tools");
  size_t start = 0;
  while (start <= places.path.size()) {
    size_t end = places.path.find(L';', start);
    if (end == std::wstring::npos) end = places.path.size();
    list.Add(places.path.substr(start, end - start));
    start = end + 1;
  }
  list.Add(places.androidHome, L"platform-tools");
  list.Add(places.androidSdkRoot, L"platform-tools");
  list.Add(places.localAppData, L"Android\\Sdk\\platform-tools");
  list.Add(places.localAppData, L"Microsoft\\WinGet\\Links");
  list.Add(places.programFilesX86, L"Android\\android-sdk\\platform-tools");
  list.Add(places.programFiles, L"Android\\android-sdk\\platform-tools");
  return list.Take();
}

}  // namespace kelp
