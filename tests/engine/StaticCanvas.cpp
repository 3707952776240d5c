// Memory canvas for paint tests.
#include "StaticCanvas.h"

StaticCanvas::StaticCanvas(int width, int height, uint32_t fill) : m_width(width), m_height(height) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  m_dc.reset(::CreateCompatibleDC(nullptr));
  m_bitmap.reset(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  m_bits = static_cast<uint32_t*>(bits);
  if (m_dc && m_bitmap) m_old = ::SelectObject(m_dc.get(), m_bitmap.get());
  ::SetBkMode(m_dc.get(), TRANSPARENT);  // as the host window paints
  Fill(fill);
}

StaticCanvas::~StaticCanvas() {
  if (m_old) ::SelectObject(m_dc.get(), m_old);
}

void StaticCanvas::Fill(uint32_t rgb) {
  ::GdiFlush();
  for (int i = 0; m_bits && i < m_width * m_height; ++i) m_bits[i] = rgb;
}

uint32_t StaticCanvas::At(int x, int y) const {
  ::GdiFlush();
  if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height) return 0xFFFFFFFFu;
  return m_bits[y * m_width + x] & 0xFFFFFF;
}
