// A 32-bit memory image with its DC held open, for painting controls and reading pixels back.
#pragma once

#include <windows.h>

#include <cstdint>

#include "Image.h"

class StaticCanvas {
 public:
  StaticCanvas(int width, int height, uint32_t fill);
  ~StaticCanvas();
  StaticCanvas(const StaticCanvas&) = delete;
  StaticCanvas& operator=(const StaticCanvas&) = delete;

  HDC dc() const { return m_dc; }
  // 0xRRGGBB of pixel (x, y), after flushing GDI's queue; all bits set outside.
  uint32_t At(int x, int y) const;
  void Fill(uint32_t rgb);
  int width() const { return m_image.GetWidth(); }
  int height() const { return m_image.GetHeight(); }

 private:
  ZOV::CImage m_image;
  HDC m_dc = nullptr;  // m_image's, released by the destructor
};
