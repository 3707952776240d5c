// CSkinZipLoader: entry index, in-memory extraction, images through HGLOBAL streams.
#include "SkinZipLoader.h"

#include <shlwapi.h>

#include <cstring>
#include <new>

#include "Image.h"
#include "ScopedWin.h"
#include "SkinNameKey.h"
#include "ZipEntrySize.h"

namespace ZOV {

CSkinZipLoader::CSkinZipLoader() : m_buffer(kSharedBufferSize) {}

HRESULT CSkinZipLoader::OpenSkin(const std::wstring& path) {
  DWORD attr = ::GetFileAttributesW(path.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY)) return E_INVALIDARG;
  m_archive.reset();
  m_path = path;
  std::unique_ptr<ZipArchive> archive(new ZipArchive);
  if (!archive->Open(path)) return E_FAIL;

  m_index.clear();
  for (int i = 0, n = archive->Count(); i < n; ++i) {
    ZipEntry entry;
    if (!archive->GetEntry(i, entry)) continue;
    // emplace keeps the first of two entries with the same key.
    m_index.emplace(SkinNameKey(entry.name), i);
  }
  std::wstring folder = path;
  size_t slash = folder.find_last_of(L"\\/");
  folder.resize(slash == std::wstring::npos ? 0 : slash);
  archive->SetBaseFolder(folder);
  m_archive = std::move(archive);
  return 0;
}

std::wstring CSkinZipLoader::WithinPackage(const std::wstring& name) const {
  // Includes and rotated images name their files as the package path, "\" and the name, as
  // they would in a folder package; inside the archive that is the name alone.
  size_t n = m_path.size();
  if (n && name.size() > n + 1 && (name[n] == L'\\' || name[n] == L'/') &&
      ::CompareStringOrdinal(name.c_str(), (int)n, m_path.c_str(), (int)n, TRUE) == CSTR_EQUAL)
    return name.substr(n + 1);
  return name;
}

HRESULT CSkinZipLoader::CloseSkin() {
  m_archive.reset();
  m_path.clear();
  return 0;
}

bool CSkinZipLoader::FindAndExtract(const std::wstring& name, Extracted& out) {
  if (!m_archive) return false;
  auto it = m_index.find(SkinNameKey(WithinPackage(name)));
  if (it == m_index.end()) return false;
  ZipEntry entry;
  if (!m_archive->GetEntry(it->second, entry)) return false;
  if (!IsPlausibleZipEntrySize(entry.compressedSize, entry.uncompressedSize, entry.method))
    return false;

  size_t size = (size_t)entry.uncompressedSize;
  char* target;
  if (size <= kSharedBufferSize) {
    std::memset(m_buffer.data(), 0, m_buffer.size());
    target = m_buffer.data();
  } else {
    out.own.reset(new (std::nothrow) char[size]);
    if (!out.own) return false;
    target = out.own.get();
  }
  if (m_archive->Extract(it->second, target, size) != 0) {
    out.own.reset();
    return false;
  }
  ++(out.own ? m_ownReads : m_sharedReads);
  out.data = target;
  out.size = size;
  return true;
}

HRESULT CSkinZipLoader::ReadSkinFile(const std::wstring& name, std::string& data) {
  Extracted found;
  if (FindAndExtract(name, found)) {
    try {
      data.assign(found.data, found.size);
    } catch (const std::bad_alloc&) {
      // Left as it was, like a missing entry.
    }
  }
  return 0;
}

HRESULT CSkinZipLoader::LoadSkinImage(const std::wstring& name, CImage& image) {
  Extracted found;
  if (!FindAndExtract(name, found)) return 0;
  win::AutoHGlobal block(::GlobalAlloc(GMEM_MOVEABLE, found.size));
  if (!block) return 0;
  void* p = ::GlobalLock(block.get());
  if (!p) return 0;
  std::memcpy(p, found.data, found.size);
  ::GlobalUnlock(block.get());

  win::ComPtr<IStream> stream;
  // With fDeleteOnRelease the stream owns the block from here on.
  if (FAILED(::CreateStreamOnHGlobal(block.get(), TRUE, stream.put()))) return 0;
  block.release();
  image.Load(stream.get());
  return 0;
}

}  // namespace ZOV
