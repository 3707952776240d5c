// Animated picture decoding through GDI+ (started only while a file is decoded).
#include "FrameDecoder.h"

#include <objidl.h>
#include <gdiplus.h>

#include <memory>

namespace anipic {

namespace {

class GdiPlusSession {
 public:
  GdiPlusSession() {
    Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&m_token, &input, nullptr) != Gdiplus::Ok) m_token = 0;
  }
  ~GdiPlusSession() {
    if (m_token) Gdiplus::GdiplusShutdown(m_token);
  }
  GdiPlusSession(const GdiPlusSession&) = delete;
  GdiPlusSession& operator=(const GdiPlusSession&) = delete;
  bool ok() const { return m_token != 0; }

 private:
  ULONG_PTR m_token = 0;
};

// Delays in hundredths of a second, one per frame (the property holds 32-bit values).
std::vector<UINT> ReadDelays(Gdiplus::Bitmap& bmp, UINT frames) {
  std::vector<UINT> delays(frames, 0);
  UINT size = bmp.GetPropertyItemSize(PropertyTagFrameDelay);
  if (size < sizeof(Gdiplus::PropertyItem)) return delays;
  std::vector<BYTE> buffer(size);
  auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
  if (bmp.GetPropertyItem(PropertyTagFrameDelay, size, item) != Gdiplus::Ok) return delays;
  const BYTE* values = static_cast<const BYTE*>(item->value);
  UINT count = item->length / 4;
  for (UINT i = 0; i < frames && i < count; ++i) {
    UINT32 v;
    memcpy(&v, values + i * 4, 4);
    delays[i] = v;
  }
  return delays;
}

bool CopyFrame(Gdiplus::Bitmap& bmp, int w, int h, std::vector<uint32_t>& out) {
  Gdiplus::Rect r(0, 0, w, h);
  Gdiplus::BitmapData data;
  if (bmp.LockBits(&r, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok) return false;
  out.resize((size_t)w * h);
  for (int y = 0; y < h; ++y)
    memcpy(&out[(size_t)y * w], static_cast<const BYTE*>(data.Scan0) + (ptrdiff_t)y * data.Stride,
           (size_t)w * 4);
  bmp.UnlockBits(&data);
  return true;
}

}  // namespace

UINT FrameDelayMs(UINT hundredths) { return hundredths < 2 ? 100 : hundredths * 10; }

bool DecodeAnimation(const wchar_t* path, Animation& out) {
  out = Animation();
  if (!path || !*path) return false;
  GdiPlusSession gdiplus;
  if (!gdiplus.ok()) return false;
  std::unique_ptr<Gdiplus::Bitmap> bmp(Gdiplus::Bitmap::FromFile(path));
  if (!bmp || bmp->GetLastStatus() != Gdiplus::Ok) return false;
  int w = (int)bmp->GetWidth(), h = (int)bmp->GetHeight();
  if (w <= 0 || h <= 0 || w > 4096 || h > 4096) return false;
  // Still pictures have no time dimension: they are one frame.
  UINT frames = bmp->GetFrameCount(&Gdiplus::FrameDimensionTime);
  bool animated = frames > 0;
  if (!animated) frames = 1;
  std::vector<UINT> delays = animated ? ReadDelays(*bmp, frames) : std::vector<UINT>(1, 0);
  Animation a;
  a.width = w;
  a.height = h;
  for (UINT i = 0; i < frames; ++i) {
    if (animated && bmp->SelectActiveFrame(&Gdiplus::FrameDimensionTime, i) != Gdiplus::Ok) return false;
    a.frames.emplace_back();
    if (!CopyFrame(*bmp, w, h, a.frames.back())) return false;
    a.delaysMs.push_back(FrameDelayMs(delays[i]));
  }
  out = std::move(a);
  return true;
}

HBITMAP ComposeFrame(const Animation& a, size_t frame, COLORREF background) {
  if (frame >= a.frames.size()) return nullptr;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = a.width;
  bi.bmiHeader.biHeight = -a.height;  // top-down, like the decoded rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bmp) return nullptr;
  const uint32_t bgR = GetRValue(background), bgG = GetGValue(background), bgB = GetBValue(background);
  uint32_t* dst = static_cast<uint32_t*>(bits);
  for (size_t i = 0; i < a.frames[frame].size(); ++i) {
    uint32_t p = a.frames[frame][i], alpha = p >> 24;
    auto mix = [alpha](uint32_t fg, uint32_t bg) { return (fg * alpha + bg * (255 - alpha) + 127) / 255; };
    uint32_t r = mix((p >> 16) & 0xFF, bgR), g = mix((p >> 8) & 0xFF, bgG), b = mix(p & 0xFF, bgB);
    dst[i] = 0xFF000000u | (r << 16) | (g << 8) | b;
  }
  ::GdiFlush();
  return bmp;
}

}  // namespace anipic
