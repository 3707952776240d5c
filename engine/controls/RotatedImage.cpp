// GDI+ drawing of a rotated picture; GDI+ runs only for the duration of one draw.
#include "RotatedImage.h"

#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "GdiPlusScope.h"
#include "Image.h"
#include "ScopedWin.h"

namespace ZOV {

namespace {

std::unique_ptr<Gdiplus::Bitmap> FromFile(const std::wstring& path) {
  DWORD attr = ::GetFileAttributesW(path.c_str());
  if (attr == INVALID_FILE_ATTRIBUTES || (attr & FILE_ATTRIBUTE_DIRECTORY)) return nullptr;
  std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromFile(path.c_str()));
  if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return bitmap;
}

// The cache holds 32-bit pictures premultiplied (opaque ones with alpha 255), so they are
// wrapped in place as premultiplied ARGB; other depths are copied through their bitmap.
std::unique_ptr<Gdiplus::Bitmap> FromCache(CImage& image) {
  if (image.IsNull()) return nullptr;
  std::unique_ptr<Gdiplus::Bitmap> bitmap;
  if (image.GetBPP() == 32)
    bitmap.reset(new Gdiplus::Bitmap(image.GetWidth(), image.GetHeight(), image.GetPitch(),
                                     PixelFormat32bppPARGB, image.GetBits()));
  else
    bitmap.reset(Gdiplus::Bitmap::FromHBITMAP(image.GetHandle(), nullptr));
  if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return bitmap;
}

}  // namespace

bool DrawRotatedImage(HDC hdc, const std::wstring& path, CImage* cached, const RECT& dest, const RECT& src,
                      int degrees) {
  int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  int sw = src.right - src.left, sh = src.bottom - src.top;
  if (!hdc || dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return false;
  // Declared in this order so that the bitmap and the graphics go before GDI+ shuts down.
  GdiPlusScope gdiplus;
  if (!gdiplus.ok()) return false;
  std::unique_ptr<Gdiplus::Bitmap> bitmap = FromFile(path);
  if (!bitmap && cached) bitmap = FromCache(*cached);
  if (!bitmap) return false;
  win::ScopedSaveDC saved(hdc);  // GDI+ may leave its world transform on the DC
  Gdiplus::Graphics graphics(hdc);
  if (graphics.GetLastStatus() != Gdiplus::Ok) return false;
  // Rotate about the destination's centre: move it to the origin, rotate, move it back.
  Gdiplus::REAL cx = dest.left + dw * 0.5f, cy = dest.top + dh * 0.5f;
  graphics.TranslateTransform(cx, cy);
  graphics.RotateTransform((Gdiplus::REAL)degrees);
  graphics.TranslateTransform(-cx, -cy);
  Gdiplus::Rect to(dest.left, dest.top, dw, dh);
  return graphics.DrawImage(bitmap.get(), to, src.left, src.top, sw, sh, Gdiplus::UnitPixel) == Gdiplus::Ok;
}

}  // namespace ZOV
