// Pixel conversions done once when an image enters the cache, never at draw time.
#pragma once

#include "Image.h"

namespace ZOV {

// 32-bit pixels: blue, green and red multiplied by alpha / 255 (rounding down).
void PremultiplyAlpha(CImage& image);

// Replaces a 24-bit image by a 32-bit one with alpha: exactly white pixels become fully
// transparent, every other pixel opaque. Returns false (image unchanged) on failure.
bool WhiteToTransparent(CImage& image);

}  // namespace ZOV
