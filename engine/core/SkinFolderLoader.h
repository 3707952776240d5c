// Reads a skin package that is a plain folder.
#pragma once

#include "SkinInnerLoader.h"

namespace ZOV {

class CSkinFolderLoader : public ISkinInnerLoader {
 public:
  // E_INVALIDARG when the path is not an existing folder, else 1.
  HRESULT OpenSkin(const std::wstring& path) override;
  HRESULT CloseSkin() override;
  // A relative name is taken from the root, an absolute one from where it points.
  HRESULT ReadSkinFile(const std::wstring& name, std::string& data) override;
  // E_FAIL when root\name does not exist.
  HRESULT LoadSkinImage(const std::wstring& name, CImage& image) override;

 private:
  std::wstring m_root;  // empty while closed
  wchar_t m_path[MAX_PATH] = {};
};

}  // namespace ZOV
