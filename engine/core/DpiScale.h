// DpiScale: skin units (a skin is written for 96 pixels per inch) to device pixels and back.
// The engine keeps device pixels inside and converts where skin geometry comes in (documents,
// fonts, script calls) and where it goes out to scripts. At 96 DPI every conversion is the
// identity, so a skin draws exactly as it was written.
#pragma once

#include <windows.h>

#include <string>

namespace ZOV {

class DpiScale {
 public:
  static const int kSkinDpi = 96;

  explicit DpiScale(int dpi) : m_dpi(dpi > 0 ? dpi : kSkinDpi) {}

  // The screen's DPI (LOGPIXELSY of the screen DC), read on first use. The process must have
  // declared itself DPI aware by then, or Windows answers 96 and stretches its windows.
  static const DpiScale& Instance();

  int Dpi() const { return m_dpi; }
  bool IsIdentity() const { return m_dpi == kSkinDpi; }

  // Rounded half away from zero and clamped to the int range; exact at 96 DPI for every int
  // (MulDiv is not: it answers -1 for INT_MIN, which skins may well write).
  int ToDevice(int units) const;
  int ToUnits(int pixels) const;
  // Edge by edge, so that rects that touch in skin units still touch on the screen.
  RECT ToDevice(const RECT& r) const;
  RECT ToUnits(const RECT& r) const;

  // What a picture drawn for this scale adds to its name before the extension ("@1.5x" for
  // "images/play@1.5x.png" at 144 DPI); empty at 96 DPI.
  std::wstring PictureSuffix() const;
  // The name of the picture drawn for this scale beside a skin's own: the suffix before the
  // extension of the last path element ("images\\play.png" -> "images\\play@1.5x.png").
  std::wstring PictureNameFor(const std::wstring& name) const;

 private:
  int m_dpi;
};

// The engine's scale; shorthand for DpiScale::Instance().
inline const DpiScale& Dpi() { return DpiScale::Instance(); }

}  // namespace ZOV
