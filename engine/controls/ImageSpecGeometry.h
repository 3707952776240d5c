// Pure geometry of image drawing: where an image spec lands in a control's rect and which
// source cells are stretched onto which destination cells. No GDI calls, so tests reach it.
#pragma once

#include <windows.h>

#include <vector>

#include "ImageSpec.h"

namespace ZOV {

enum class ImageLayout {
  kNothing,      // nothing to draw (corner settings fit no mode, or an empty destination)
  kStretch,      // one piece: the source stretched onto the destination
  kRotated,      // the source drawn rotated about the destination's centre (GDI+)
  kThreeSliceH,  // left, middle, right
  kThreeSliceV,  // top, middle, bottom
  kNineGrid,     // nine cells of the whole image
};

// One stretch of a source cell (image pixels) onto a destination cell (DC coordinates).
struct ImagePiece {
  RECT dest;
  RECT src;
};

struct ImagePlan {
  ImageLayout layout = ImageLayout::kNothing;
  RECT dest = {};                  // the destination rect D
  RECT src = {};                   // the source rect S after the state strip, within the image
  std::vector<ImagePiece> pieces;  // for every layout but kRotated and kNothing
};

// D: the control's rect, or the dest offsets measured from its top-left corner when any of
// them is not 0.
RECT ImageDestRect(const RECT& control, const RECT& destOffsets);

// S: the src rect (the whole image when it is empty), narrowed to one frame of the state
// strip. Not yet clipped to the image.
RECT ImageSourceRect(const ImageSpec& spec, int imageWidth, int imageHeight);

// The whole plan for drawing spec into the control's rect with an image of the given size.
// Cells that come out empty in the destination or the source are left out, and source cells
// are clipped to the image, so no piece reads outside the picture or draws mirrored.
ImagePlan PlanImage(const ImageSpec& spec, const RECT& control, int imageWidth, int imageHeight,
                    int rotation);

}  // namespace ZOV
