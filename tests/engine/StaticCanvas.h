// A 32-bit top-down memory bitmap with a DC, for painting controls and reading pixels back.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ScopedWin.h"

class StaticCanvas {
 public:
  StaticCanvas(int width, int height, uint32_t fill);
  ~StaticCanvas();
  StaticCanvas(const StaticCanvas&) = delete;
  StaticCanvas& operator=(const StaticCanvas&) = delete;

  HDC dc() const { return m_dc.get(); }
  // 0xRRGGBB of pixel (x, y), after flushing GDI's queue.
  uint32_t At(int x, int y) const;
  void Fill(uint32_t rgb);
  int width() const { return m_width; }
  int height() const { return m_height; }

 private:
  int m_width, m_height;
  win::AutoDeleteDC m_dc;
  win::AutoGdiObj m_bitmap;
  HGDIOBJ m_old = nullptr;
  uint32_t* m_bits = nullptr;  // owned by m_bitmap
};
