// Reads a skin package that is a zip archive, entirely in memory.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "SkinInnerLoader.h"
#include "ZipArchive.h"

namespace ZOV {

// Entries are found by lower-cased name with "/" separators, whatever case and separators
// the caller or the archive uses. Only the UI thread uses a loader: the shared read buffer
// holds one entry at a time.
class CSkinZipLoader : public ISkinInnerLoader {
 public:
  static const size_t kSharedBufferSize = 32768;

  CSkinZipLoader();
  // E_INVALIDARG when the file does not exist, E_FAIL when it is no readable zip, else 0.
  HRESULT OpenSkin(const std::wstring& path) override;
  HRESULT CloseSkin() override;
  HRESULT ReadSkinFile(const std::wstring& name, std::string& data) override;
  // Decodes the entry through a stream on global memory. 0 even when nothing was found.
  HRESULT LoadSkinImage(const std::wstring& name, CImage& image) override;

  // How many extractions went into the shared buffer, and how many needed one of their own.
  unsigned SharedBufferReads() const { return m_sharedReads; }
  unsigned OwnBufferReads() const { return m_ownReads; }

 private:
  // A name given as the package path, a separator and a name inside the package: the inner name.
  std::wstring WithinPackage(const std::wstring& name) const;
  // An extracted entry; `own` is set when it did not fit the shared buffer.
  struct Extracted {
    const char* data = nullptr;
    size_t size = 0;
    std::unique_ptr<char[]> own;
  };
  bool FindAndExtract(const std::wstring& name, Extracted& out);

  std::wstring m_path;  // empty while closed
  std::unique_ptr<ZipArchive> m_archive;  // null while closed
  std::map<std::wstring, int> m_index;  // key (SkinNameKey.h) -> entry number
  std::vector<char> m_buffer;  // kSharedBufferSize bytes, reused by every small entry
  unsigned m_sharedReads = 0;
  unsigned m_ownReads = 0;
};

}  // namespace ZOV
