// CSkinFolderLoader: package files straight from the file system.
#include "SkinFolderLoader.h"

#include <shlwapi.h>

#include <new>

#include "Image.h"
#include "ScopedWin.h"

namespace ZOV {

namespace {

bool IsFolder(const std::wstring& path) {
  DWORD attr = ::GetFileAttributesW(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

// Reads the whole file or nothing: `data` changes only when every byte arrived.
bool ReadWholeFile(const wchar_t* path, std::string& data) {
  win::AutoFile file(::CreateFileW(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
  std::string bytes;
  try {
    bytes.resize((size_t)size.QuadPart);
  } catch (const std::bad_alloc&) {
    return false;
  }
  DWORD done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), &bytes[done], (DWORD)bytes.size() - done, &got, nullptr) || got == 0)
      return false;
    done += got;
  }
  data.swap(bytes);
  return true;
}

}  // namespace

HRESULT CSkinFolderLoader::OpenSkin(const std::wstring& path) {
  if (!IsFolder(path)) return E_INVALIDARG;
  m_root = path;
  return 1;
}

HRESULT CSkinFolderLoader::CloseSkin() {
  m_root.clear();
  return 0;
}

HRESULT CSkinFolderLoader::ReadSkinFile(const std::wstring& name, std::string& data) {
  // Closed: a relative name would otherwise resolve against the working folder.
  if (m_root.empty() || name.empty()) return 0;
  // Both fail (NULL / FALSE) rather than overrun m_path when the result exceeds MAX_PATH.
  bool built = ::PathIsRelativeW(name.c_str())
                   ? ::PathCombineW(m_path, m_root.c_str(), name.c_str()) != nullptr
                   : ::PathCanonicalizeW(m_path, name.c_str()) != FALSE;
  if (built) ReadWholeFile(m_path, data);
  return 0;
}

HRESULT CSkinFolderLoader::LoadSkinImage(const std::wstring& name, CImage& image) {
  if (m_root.empty()) return E_FAIL;
  std::wstring path = m_root + L"\\" + name;
  DWORD attr = ::GetFileAttributesW(path.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY)) return E_FAIL;
  image.Load(path.c_str());
  return 0;
}

}  // namespace ZOV
