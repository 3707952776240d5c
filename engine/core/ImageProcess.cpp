// Premultiplication, the white-is-transparent conversion and smooth scaling of cached images.
#include "ImageProcess.h"

#include <algorithm>
#include <vector>

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

namespace {

// An opaque 32-bit copy of a picture of another depth (palettes and 16-bit pixels included).
bool ToOpaque32(const CImage& source, CImage& out) {
  CImage& src = const_cast<CImage&>(source);  // GetDC only selects the bitmap
  if (!out.Create(src.GetWidth(), src.GetHeight(), 32, true)) return false;
  HDC from = src.GetDC();
  HDC to = out.GetDC();
  bool ok = from && to && ::BitBlt(to, 0, 0, src.GetWidth(), src.GetHeight(), from, 0, 0, SRCCOPY);
  if (to) out.ReleaseDC();
  if (from) src.ReleaseDC();
  if (!ok) return false;
  ::GdiFlush();
  for (int y = 0; y < out.GetHeight(); ++y) {
    BYTE* p = out.GetRow(y);
    for (int x = 0; x < out.GetWidth(); ++x, p += 4) p[3] = 0xFF;
  }
  return true;
}

// Where each destination column (or row) samples the source: the lower neighbour and the
// weight of the upper one in 1/256, pixel centres mapped onto pixel centres.
struct Tap {
  int lower;
  int upper;
  int weight;
};

std::vector<Tap> Taps(int from, int to) {
  std::vector<Tap> taps(to);
  for (int i = 0; i < to; ++i) {
    long long pos = ((2LL * i + 1) * from * 256) / (2LL * to) - 128;  // in 1/256 source pixels
    pos = std::max(0LL, std::min(pos, (from - 1) * 256LL));
    int lower = (int)(pos >> 8);
    taps[i] = {lower, std::min(lower + 1, from - 1), (int)(pos & 255)};
  }
  return taps;
}

}  // namespace

bool ScaleSmoothly(CImage& image, int width, int height) {
  if (image.IsNull() || width <= 0 || height <= 0) return false;
  CImage opaque;
  if (image.GetBPP() != 32 && !ToOpaque32(image, opaque)) return false;
  const CImage& src = image.GetBPP() == 32 ? image : opaque;
  CImage scaled;
  if (!scaled.Create(width, height, 32, src.HasAlpha())) return false;
  std::vector<Tap> xs = Taps(src.GetWidth(), width), ys = Taps(src.GetHeight(), height);
  for (int y = 0; y < height; ++y) {
    const BYTE* top = src.GetRow(ys[y].lower);
    const BYTE* bottom = src.GetRow(ys[y].upper);
    int wy = ys[y].weight;
    BYTE* d = scaled.GetRow(y);
    for (int x = 0; x < width; ++x, d += 4) {
      const Tap& t = xs[x];
      for (int c = 0; c < 4; ++c) {
        int upperRow = top[t.lower * 4 + c] * (256 - t.weight) + top[t.upper * 4 + c] * t.weight;
        int lowerRow = bottom[t.lower * 4 + c] * (256 - t.weight) + bottom[t.upper * 4 + c] * t.weight;
        d[c] = (BYTE)((upperRow * (256 - wy) + lowerRow * wy + (1 << 15)) >> 16);
      }
    }
  }
  scaled.SetTransparentColor(image.GetTransparentColor());
  image.Swap(scaled);
  return true;
}

}  // namespace ZOV
