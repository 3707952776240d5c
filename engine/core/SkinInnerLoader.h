// The interface behind CSkinLoader: one implementation per kind of skin package.
#pragma once

#include <string>

#include <windows.h>

namespace ZOV {

class CImage;

// Names are relative to the package root. The slot order is part of the engine's binary
// layout: keep it.
class ISkinInnerLoader {
 public:
  virtual ~ISkinInnerLoader() = default;
  // Negative on failure.
  virtual HRESULT OpenSkin(const std::wstring& path) = 0;
  virtual HRESULT CloseSkin() = 0;
  // Replaces `data` with the file's bytes; leaves it as it was when the file is missing.
  virtual HRESULT ReadSkinFile(const std::wstring& name, std::string& data) = 0;
  // Decodes the named picture into `image`, which holds no picture when nothing was found.
  virtual HRESULT LoadSkinImage(const std::wstring& name, CImage& image) = 0;
};

}  // namespace ZOV
