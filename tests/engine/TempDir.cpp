// Test temporary folders.
#include "TempDir.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "ScopedWin.h"

namespace {

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = folder + L"\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(full);
      else
        ::DeleteFileW(full.c_str());
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
  }
  ::RemoveDirectoryW(folder.c_str());
}

}  // namespace

TempDir::TempDir() {
  wchar_t base[MAX_PATH];
  ::GetTempPathW(MAX_PATH, base);
  static unsigned counter = 0;
  wchar_t name[64];
  wsprintfW(name, L"zovtest-%lu-%u", ::GetCurrentProcessId(), ++counter);
  m_path = std::wstring(base) + name;
  if (!m_path.empty() && m_path.back() == L'\\') m_path.pop_back();
  ::CreateDirectoryW(m_path.c_str(), nullptr);
}

TempDir::~TempDir() { RemoveTree(m_path); }

std::wstring TempDir::MakeFolder(const std::wstring& name) const {
  std::wstring full = *this / name;
  for (size_t i = m_path.size() + 1; i <= full.size(); ++i) {
    if (i == full.size() || full[i] == L'\\') ::CreateDirectoryW(full.substr(0, i).c_str(), nullptr);
  }
  return full;
}

std::wstring TempDir::Write(const std::wstring& name, const std::string& bytes) const {
  size_t slash = name.find_last_of(L'\\');
  if (slash != std::wstring::npos) MakeFolder(name.substr(0, slash));
  std::wstring full = *this / name;
  win::AutoFile f(::CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  if (f) ::WriteFile(f.get(), bytes.data(), (DWORD)bytes.size(), &written, nullptr);
  return full;
}

std::wstring TempDir::Listing(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
  }
  std::sort(names.begin(), names.end());
  std::wstring out;
  for (const auto& n : names) out += n + L";";
  return out;
}
