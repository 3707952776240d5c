// CImage: GDI+ decoding into a DIB section the engine can draw with GDI.
#include "Image.h"

#include <gdiplus.h>

#include <cstring>
#include <memory>

#include "GdiPlusScope.h"

namespace ZOV {

HRESULT CImage::Load(const wchar_t* path) {
  Destroy();
  if (!path) return E_INVALIDARG;
  GdiPlusScope gdiplus;
  if (!gdiplus.ok()) return E_FAIL;
  std::unique_ptr<Gdiplus::Bitmap> bmp(Gdiplus::Bitmap::FromFile(path));
  return TakeFrom(bmp.get());
}

HRESULT CImage::Load(IStream* stream) {
  Destroy();
  if (!stream) return E_INVALIDARG;
  GdiPlusScope gdiplus;
  if (!gdiplus.ok()) return E_FAIL;
  std::unique_ptr<Gdiplus::Bitmap> bmp(Gdiplus::Bitmap::FromStream(stream));
  return TakeFrom(bmp.get());
}

// Copies the decoded pixels out, so no GDI+ object outlives the GdiPlusScope of the caller.
HRESULT CImage::TakeFrom(void* gdiplusBitmap) {
  auto* bmp = static_cast<Gdiplus::Bitmap*>(gdiplusBitmap);
  if (!bmp || bmp->GetLastStatus() != Gdiplus::Ok) return E_FAIL;
  int width = (int)bmp->GetWidth(), height = (int)bmp->GetHeight();
  if (width <= 0 || height <= 0) return E_FAIL;

  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  win::AutoGdiObj dib(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib || !bits) return E_OUTOFMEMORY;

  Gdiplus::Rect rect(0, 0, width, height);
  Gdiplus::BitmapData data;
  if (bmp->LockBits(&rect, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok)
    return E_FAIL;
  for (int y = 0; y < height; ++y) {
    std::memcpy(static_cast<char*>(bits) + (size_t)y * width * 4,
                static_cast<const char*>(data.Scan0) + (ptrdiff_t)y * data.Stride, (size_t)width * 4);
  }
  bmp->UnlockBits(&data);

  m_bitmap = std::move(dib);
  m_bits = static_cast<DWORD*>(bits);
  m_width = width;
  m_height = height;
  return S_OK;
}

void CImage::Destroy() {
  m_bitmap.reset();
  m_bits = nullptr;
  m_width = m_height = 0;
}

DWORD CImage::GetPixel(int x, int y) const {
  if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
  return m_bits[(size_t)y * m_width + x];
}

}  // namespace ZOV
