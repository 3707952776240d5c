// CImage: a decoded picture in a DIB section (width, height, pitch, depth, alpha flag, bits),
// with a memory DC on demand and the engine's three ways of drawing it.
#pragma once

#include <objidl.h>
#include <windows.h>

#include "ScopedWin.h"

namespace ZOV {

class CImage {
 public:
  CImage() = default;
  ~CImage();
  CImage(const CImage&) = delete;
  CImage& operator=(const CImage&) = delete;

  // Decodes through GDI+ (PNG, BMP, JPEG, GIF, ...). The depth follows the source: formats
  // with alpha give 32 bits with an alpha channel (straight, not premultiplied); 24-bit,
  // 32-bit, 16-bit and indexed formats keep their depth (palettes are copied); anything else
  // gives 32 bits without alpha. On failure the image holds no picture.
  HRESULT Load(const wchar_t* path);
  HRESULT Load(IStream* stream);
  // An empty DIB section of the given size and depth (8, 16, 24 or 32), zero-filled.
  bool Create(int width, int height, int bpp, bool alpha);
  void Destroy();
  // Exchanges the pictures (and their DCs) of two images.
  void Swap(CImage& other);

  bool IsNull() const { return !m_bitmap; }
  HBITMAP GetHandle() const { return (HBITMAP)m_bitmap.get(); }
  int GetWidth() const { return m_width; }
  int GetHeight() const { return m_height; }
  int GetPitch() const { return m_pitch; }  // bytes per row, rows top-down
  int GetBPP() const { return m_bpp; }
  bool HasAlpha() const { return m_alpha; }
  void SetHasAlpha(bool alpha) { m_alpha = alpha; }
  BYTE* GetBits() const { return m_bits; }
  BYTE* GetRow(int y) const { return m_bits + (size_t)y * m_pitch; }
  // Pixel (x, y) as 0xAARRGGBB (alpha 0xFF for depths without one); 0 outside the picture.
  DWORD GetPixel(int x, int y) const;

  // A memory DC with the bitmap selected, kept while GetDC calls outnumber ReleaseDC calls.
  HDC GetDC();
  void ReleaseDC();

  // CLR_INVALID (the default) when none is set.
  void SetTransparentColor(COLORREF color) { m_transparent = color; }
  COLORREF GetTransparentColor() const { return m_transparent; }

  // Draws the source rectangle onto dest: TransparentBlt with the transparent colour when one
  // is set, else AlphaBlend (premultiplied pixels) when the image has alpha, else StretchBlt.
  bool Draw(HDC hdc, const RECT& dest, const RECT& src);

 private:
  HRESULT TakeFrom(void* gdiplusBitmap);

  win::AutoGdiObj m_bitmap;
  BYTE* m_bits = nullptr;  // owned by m_bitmap
  int m_width = 0;
  int m_height = 0;
  int m_pitch = 0;
  int m_bpp = 0;
  bool m_alpha = false;
  COLORREF m_transparent = CLR_INVALID;
  win::AutoDeleteDC m_dc;
  HGDIOBJ m_dcOldBitmap = nullptr;
  int m_dcRefs = 0;
};

}  // namespace ZOV
