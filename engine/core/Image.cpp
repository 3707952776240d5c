// CImage: GDI+ decoding into a DIB section the engine can draw with GDI.
#include "Image.h"

#include <gdiplus.h>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "GdiPlusScope.h"

namespace ZOV {

namespace {

struct DibTarget {
  int bpp;
  bool alpha;
  Gdiplus::PixelFormat lockFormat;
};

// The depth the decoded picture keeps, and the GDI+ format its pixels are read in.
DibTarget TargetFor(Gdiplus::PixelFormat source) {
  if (Gdiplus::IsAlphaPixelFormat(source)) return {32, true, PixelFormat32bppARGB};
  switch (source) {
    case PixelFormat1bppIndexed: return {1, false, PixelFormat1bppIndexed};
    case PixelFormat4bppIndexed: return {4, false, PixelFormat4bppIndexed};
    case PixelFormat8bppIndexed: return {8, false, PixelFormat8bppIndexed};
    case PixelFormat16bppRGB555:
    case PixelFormat16bppRGB565: return {16, false, PixelFormat16bppRGB555};
    case PixelFormat24bppRGB: return {24, false, PixelFormat24bppRGB};
    case PixelFormat32bppRGB: return {32, false, PixelFormat32bppRGB};
    default: return {32, false, PixelFormat32bppRGB};
  }
}

int PitchOf(int width, int bpp) { return ((width * bpp + 31) / 32) * 4; }

}  // namespace

CImage::~CImage() { Destroy(); }

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

bool CImage::Create(int width, int height, int bpp, bool alpha) {
  Destroy();
  if (width <= 0 || height <= 0 || (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32))
    return false;
  // Room for a 256-entry colour table after the header.
  std::vector<BYTE> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  auto* bi = reinterpret_cast<BITMAPINFO*>(info.data());
  bi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi->bmiHeader.biWidth = width;
  bi->bmiHeader.biHeight = -height;  // top-down
  bi->bmiHeader.biPlanes = 1;
  bi->bmiHeader.biBitCount = (WORD)bpp;
  bi->bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  win::AutoGdiObj dib(::CreateDIBSection(nullptr, bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib || !bits) return false;
  m_bitmap = std::move(dib);
  m_bits = static_cast<BYTE*>(bits);
  m_width = width;
  m_height = height;
  m_bpp = bpp;
  m_pitch = PitchOf(width, bpp);
  m_alpha = alpha;
  std::memset(m_bits, 0, (size_t)m_pitch * height);
  return true;
}

// Copies the decoded pixels out, so no GDI+ object outlives the GdiPlusScope of the caller.
HRESULT CImage::TakeFrom(void* gdiplusBitmap) {
  auto* bmp = static_cast<Gdiplus::Bitmap*>(gdiplusBitmap);
  if (!bmp || bmp->GetLastStatus() != Gdiplus::Ok) return E_FAIL;
  int width = (int)bmp->GetWidth(), height = (int)bmp->GetHeight();
  if (width <= 0 || height <= 0) return E_FAIL;
  DibTarget target = TargetFor(bmp->GetPixelFormat());
  if (!Create(width, height, target.bpp, target.alpha)) return E_OUTOFMEMORY;

  Gdiplus::Rect rect(0, 0, width, height);
  Gdiplus::BitmapData data;
  if (bmp->LockBits(&rect, Gdiplus::ImageLockModeRead, target.lockFormat, &data) != Gdiplus::Ok) {
    Destroy();
    return E_FAIL;
  }
  size_t rowBytes = (size_t)(width * target.bpp + 7) / 8;
  for (int y = 0; y < height; ++y)
    std::memcpy(GetRow(y), static_cast<const BYTE*>(data.Scan0) + (ptrdiff_t)y * data.Stride, rowBytes);
  bmp->UnlockBits(&data);

  if (target.bpp == 32 && !target.alpha) {
    // The fourth byte of an RGB format is undefined: make it opaque so that later alpha
    // handling (premultiplication, layered windows) leaves the colours as they are.
    for (int y = 0; y < height; ++y) {
      BYTE* p = GetRow(y);
      for (int x = 0; x < width; ++x) p[x * 4 + 3] = 0xFF;
    }
  }
  if (target.bpp <= 8) {
    // Copy the palette into the DIB's colour table.
    INT size = bmp->GetPaletteSize();
    if (size > 0) {
      std::vector<BYTE> buf(size);
      auto* pal = reinterpret_cast<Gdiplus::ColorPalette*>(buf.data());
      if (bmp->GetPalette(pal, size) == Gdiplus::Ok) {
        std::vector<RGBQUAD> table(pal->Count);
        for (UINT i = 0; i < pal->Count; ++i) {
          Gdiplus::ARGB c = pal->Entries[i];
          table[i] = {(BYTE)(c & 0xFF), (BYTE)((c >> 8) & 0xFF), (BYTE)((c >> 16) & 0xFF), 0};
        }
        HDC dc = GetDC();
        ::SetDIBColorTable(dc, 0, (UINT)table.size(), table.data());
        ReleaseDC();
      }
    }
  }
  return S_OK;
}

void CImage::Destroy() {
  if (m_dc) {
    ::SelectObject(m_dc.get(), m_dcOldBitmap);
    m_dc.reset();
  }
  m_dcRefs = 0;
  m_dcOldBitmap = nullptr;
  m_bitmap.reset();
  m_bits = nullptr;
  m_width = m_height = m_pitch = m_bpp = 0;
  m_alpha = false;
}

void CImage::Swap(CImage& other) {
  std::swap(m_bitmap, other.m_bitmap);
  std::swap(m_bits, other.m_bits);
  std::swap(m_width, other.m_width);
  std::swap(m_height, other.m_height);
  std::swap(m_pitch, other.m_pitch);
  std::swap(m_bpp, other.m_bpp);
  std::swap(m_alpha, other.m_alpha);
  std::swap(m_transparent, other.m_transparent);
  std::swap(m_dc, other.m_dc);
  std::swap(m_dcOldBitmap, other.m_dcOldBitmap);
  std::swap(m_dcRefs, other.m_dcRefs);
}

DWORD CImage::GetPixel(int x, int y) const {
  if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0;
  const BYTE* row = GetRow(y);
  switch (m_bpp) {
    case 32: {
      DWORD v;
      std::memcpy(&v, row + x * 4, 4);
      return v;
    }
    case 24: return 0xFF000000u | ((DWORD)row[x * 3 + 2] << 16) | ((DWORD)row[x * 3 + 1] << 8) | row[x * 3];
    default: {
      // Other depths go through GDI, which knows the colour table and bit layout.
      HDC dc = const_cast<CImage*>(this)->GetDC();
      COLORREF c = ::GetPixel(dc, x, y);
      const_cast<CImage*>(this)->ReleaseDC();
      return 0xFF000000u | ((DWORD)GetRValue(c) << 16) | ((DWORD)GetGValue(c) << 8) | GetBValue(c);
    }
  }
}

HDC CImage::GetDC() {
  if (!m_bitmap) return nullptr;
  if (!m_dc) {
    m_dc.reset(::CreateCompatibleDC(nullptr));
    if (!m_dc) return nullptr;
    m_dcOldBitmap = ::SelectObject(m_dc.get(), m_bitmap.get());
  }
  ++m_dcRefs;
  return m_dc.get();
}

void CImage::ReleaseDC() {
  if (m_dcRefs <= 0 || --m_dcRefs > 0) return;
  ::SelectObject(m_dc.get(), m_dcOldBitmap);
  m_dc.reset();
  m_dcOldBitmap = nullptr;
}

bool CImage::Draw(HDC hdc, const RECT& dest, const RECT& src) {
  HDC dc = GetDC();
  if (!dc) return false;
  int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  int sw = src.right - src.left, sh = src.bottom - src.top;
  BOOL ok;
  if (m_transparent != CLR_INVALID) {
    ok = ::TransparentBlt(hdc, dest.left, dest.top, dw, dh, dc, src.left, src.top, sw, sh, m_transparent);
  } else if (m_alpha) {
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    ok = ::AlphaBlend(hdc, dest.left, dest.top, dw, dh, dc, src.left, src.top, sw, sh, blend);
  } else {
    int oldMode = ::SetStretchBltMode(hdc, COLORONCOLOR);
    ok = ::StretchBlt(hdc, dest.left, dest.top, dw, dh, dc, src.left, src.top, sw, sh, SRCCOPY);
    ::SetStretchBltMode(hdc, oldMode);
  }
  ReleaseDC();
  return ok != FALSE;
}

}  // namespace ZOV
