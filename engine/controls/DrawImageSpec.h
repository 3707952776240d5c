// DrawImageSpec: the one routine every control uses to draw an image spec into its rect.
#pragma once

#include <windows.h>

#include "ImageSpec.h"

namespace ZOV {

// Finds (or loads and caches) the image the image spec names and draws it into the control
// rect: stretched, rotated by rotation degrees about the destination's centre (only without corner settings),
// as three slices or as a nine-grid (see ImageSpecGeometry.h). An image that can't be loaded
// draws nothing; it is looked for again at the next draw.
void DrawImageSpec(HDC hdc, const RECT& rect, const ImageSpec& spec, int rotation);

}  // namespace ZOV
