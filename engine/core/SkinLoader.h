// The one way into the skin package: holds its path and the loader for its kind.
#pragma once

#include <memory>
#include <string>

#include "SkinInnerLoader.h"

namespace ZOV {

class CSkinLoader {
 public:
  // Stores the path and opens it with a new loader: a zip loader when the path ends in
  // ".zip" (exactly, case-sensitive), else a folder loader. Returns the loader's OpenSkin.
  HRESULT SetPackagePath(const std::wstring& path);
  const std::wstring& PackagePath() const { return m_path; }

  HRESULT ReadSkinFile(const std::wstring& name, std::string& data);
  HRESULT LoadSkinImage(const std::wstring& name, CImage& image);
  HRESULT CloseSkin();

  // For tests and diagnostics: the current loader, null before the first path.
  ISkinInnerLoader* Loader() const { return m_loader.get(); }

 private:
  std::wstring m_path;
  std::unique_ptr<ISkinInnerLoader> m_loader;
};

}  // namespace ZOV
