// A decoded picture: a top-down 32-bit DIB section holding straight (not premultiplied) ARGB.
#pragma once

#include <objidl.h>
#include <windows.h>

#include "ScopedWin.h"

namespace ZOV {

class CImage {
 public:
  CImage() = default;
  CImage(const CImage&) = delete;
  CImage& operator=(const CImage&) = delete;

  // Decode through GDI+ (PNG, BMP, JPEG, GIF, ...). On failure the image holds no picture.
  HRESULT Load(const wchar_t* path);
  HRESULT Load(IStream* stream);
  void Destroy();

  bool IsNull() const { return !m_bitmap; }
  HBITMAP GetHandle() const { return (HBITMAP)m_bitmap.get(); }
  int GetWidth() const { return m_width; }
  int GetHeight() const { return m_height; }
  // Pixel (x, y) as 0xAARRGGBB; 0 outside the picture.
  DWORD GetPixel(int x, int y) const;

 private:
  HRESULT TakeFrom(void* gdiplusBitmap);

  win::AutoGdiObj m_bitmap;
  DWORD* m_bits = nullptr;  // owned by m_bitmap
  int m_width = 0;
  int m_height = 0;
};

}  // namespace ZOV
