// Paths beside the program, file sizes and their display text.
#include "share.h"

#include <shlwapi.h>

namespace ShareLib {

std::wstring GetCurXFilePath(const wchar_t* fileName) {
  try {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
      DWORD n = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
      if (n == 0) return std::wstring();
      if (n < path.size()) {
        path.resize(n);
        break;
      }
      path.resize(path.size() * 2);  // truncated: long path
    }
    path.resize(path.rfind(L'\\') + 1);  // npos + 1 == 0 leaves nothing for a bare name
    if (path.empty()) path = L".\\";
    if (fileName) path += fileName;
    return path;
  } catch (...) {
    return std::wstring();
  }
}

int64_t GetFileSizeIndirect(const wchar_t* path) {
  // Attributes rather than an open handle: works for files another process holds locked.
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!path || !GetFileAttributesExW(path, GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::wstring FileSizeToString(int64_t size) {
  wchar_t text[64] = L"";
  if (!StrFormatByteSizeW(size, text, ARRAYSIZE(text))) return std::wstring();
  try {
    return text;
  } catch (...) {
    return std::wstring();
  }
}

}  // namespace ShareLib
