// CSkinLoader: chooses between the folder and the zip loader.
#include "SkinLoader.h"

#include "SkinFolderLoader.h"
#include "SkinZipLoader.h"

namespace ZOV {

namespace {

bool EndsWithZip(const std::wstring& path) {
  static const wchar_t kExt[] = L".zip";
  return path.size() >= 4 && path.compare(path.size() - 4, 4, kExt) == 0;
}

}  // namespace

HRESULT CSkinLoader::SetPackagePath(const std::wstring& path) {
  m_path = path;
  if (EndsWithZip(path))
    m_loader.reset(new CSkinZipLoader);
  else
    m_loader.reset(new CSkinFolderLoader);
  return m_loader->OpenSkin(path);
}

HRESULT CSkinLoader::ReadSkinFile(const std::wstring& name, std::string& data) {
  return m_loader ? m_loader->ReadSkinFile(name, data) : 0;
}

HRESULT CSkinLoader::LoadSkinImage(const std::wstring& name, CImage& image) {
  return m_loader ? m_loader->LoadSkinImage(name, image) : E_FAIL;
}

HRESULT CSkinLoader::CloseSkin() { return m_loader ? m_loader->CloseSkin() : 0; }

}  // namespace ZOV
