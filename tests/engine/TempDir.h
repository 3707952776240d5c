// A fresh folder under the system's temporary folder, removed with its contents afterwards.
#pragma once

#include <string>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::wstring& path() const { return m_path; }
  // path()\name
  std::wstring operator/(const std::wstring& name) const { return m_path + L"\\" + name; }
  // Writes bytes to path()\name (creating folders on the way); returns the full path.
  std::wstring Write(const std::wstring& name, const std::string& bytes) const;
  std::wstring MakeFolder(const std::wstring& name) const;
  // Names directly in a folder, sorted, without "." and "..".
  static std::wstring Listing(const std::wstring& folder);

 private:
  std::wstring m_path;
};
