// Memory canvas for paint tests.
#include "StaticCanvas.h"

StaticCanvas::StaticCanvas(int width, int height, uint32_t fill) {
  if (m_image.Create(width, height, 32, false)) m_dc = m_image.GetDC();
  if (m_dc) ::SetBkMode(m_dc, TRANSPARENT);  // as the host window paints
  Fill(fill);
}

StaticCanvas::~StaticCanvas() {
  if (m_dc) m_image.ReleaseDC();
}

void StaticCanvas::Fill(uint32_t rgb) {
  ::GdiFlush();
  for (int y = 0; y < height(); ++y) {
    auto* row = reinterpret_cast<uint32_t*>(m_image.GetRow(y));
    for (int x = 0; x < width(); ++x) row[x] = rgb;
  }
}

uint32_t StaticCanvas::At(int x, int y) const {
  ::GdiFlush();
  if (m_image.IsNull() || x < 0 || y < 0 || x >= width() || y >= height()) return 0xFFFFFFFFu;
  return m_image.GetPixel(x, y) & 0xFFFFFF;
}
