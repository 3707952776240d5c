// Pixel conversions done once when an image enters the cache, never at draw time.
#pragma once

#include "Image.h"

namespace ZOV {

// 32-bit pixels: blue, green and red multiplied by alpha / 255 (rounding down).
void PremultiplyAlpha(CImage& image);

// Replaces a 24-bit image by a 32-bit one with alpha: exactly white pixels become fully
// transparent, every other pixel opaque. Returns false (image unchanged) on failure.
bool WhiteToTransparent(CImage& image);

// Replaces the image by a 32-bit copy of width x height, resampled bilinearly (premultiplied
// pixels blend without dark fringes). Depths other than 32 are made opaque 32-bit first.
// Returns false (image unchanged) on failure.
bool ScaleSmoothly(CImage& image, int width, int height);

}  // namespace ZOV
