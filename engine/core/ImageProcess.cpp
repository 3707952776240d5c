// Premultiplication and the white-is-transparent conversion of cached images.
#include "ImageProcess.h"

namespace ZOV {

void PremultiplyAlpha(CImage& image) {
  if (image.IsNull() || image.GetBPP() != 32) return;
  for (int y = 0; y < image.GetHeight(); ++y) {
    BYTE* p = image.GetRow(y);
    for (int x = 0; x < image.GetWidth(); ++x, p += 4) {
      unsigned a = p[3];
      p[0] = (BYTE)(p[0] * a / 255);
      p[1] = (BYTE)(p[1] * a / 255);
      p[2] = (BYTE)(p[2] * a / 255);
    }
  }
}

bool WhiteToTransparent(CImage& image) {
  if (image.IsNull() || image.GetBPP() != 24) return false;
  CImage converted;
  if (!converted.Create(image.GetWidth(), image.GetHeight(), 32, true)) return false;
  for (int y = 0; y < image.GetHeight(); ++y) {
    const BYTE* s = image.GetRow(y);
    BYTE* d = converted.GetRow(y);
    for (int x = 0; x < image.GetWidth(); ++x, s += 3, d += 4) {
      bool white = s[0] == 0xFF && s[1] == 0xFF && s[2] == 0xFF;
      // Stored premultiplied, as the alpha blend expects: a transparent pixel is all zero.
      // (Colour bytes of 255 under alpha 0 would be added to whatever lies below.)
      d[0] = white ? 0 : s[0];
      d[1] = white ? 0 : s[1];
      d[2] = white ? 0 : s[2];
      d[3] = white ? 0 : 0xFF;
    }
  }
  image.Swap(converted);
  return true;
}

}  // namespace ZOV
