// Writes small RGBA PNG files for image tests (zlib does the compression).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// pixels: width*height values of 0xAARRGGBB, rows top to bottom.
std::string MakePngRgba(int width, int height, const std::vector<uint32_t>& pixels);
// A 24-bit BMP (bottom-up rows), pixels as 0x00RRGGBB.
std::string MakeBmp24(int width, int height, const std::vector<uint32_t>& pixels);
