// Writes small animated GIF files for picture tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct GifFrame {
  std::vector<uint8_t> indices;  // width*height palette indices (0-3), rows top to bottom
  int delayHundredths = 10;
};

// A looping GIF of the frames; palette: four 0xRRGGBB colours.
std::string MakeGif(int width, int height, const uint32_t (&palette)[4], const std::vector<GifFrame>& frames);
