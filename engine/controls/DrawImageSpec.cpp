// DrawImageSpec: the image cache, the geometry plan and the image's own draw operation.
#include "DrawImageSpec.h"

#include <memory>

#include "DpiScale.h"
#include "Engine.h"
#include "Image.h"
#include "ImageSpecGeometry.h"
#include "ResourceManager.h"
#include "RotatedImage.h"
#include "SkinLoader.h"
#include "TextConv.h"

namespace ZOV {

namespace {

// Keeps the image's memory DC for all pieces of one draw instead of making one per piece.
class ImageDcHold {
 public:
  explicit ImageDcHold(CImage& image) : m_image(image), m_dc(image.GetDC()) {}
  ~ImageDcHold() {
    if (m_dc) m_image.ReleaseDC();
  }
  ImageDcHold(const ImageDcHold&) = delete;
  ImageDcHold& operator=(const ImageDcHold&) = delete;

 private:
  CImage& m_image;
  HDC m_dc;
};

// The image settings with their picture geometry (src, corner) in the pixels of the cached
// picture, which is cached at the screen's scale. Corner settings that select a slicing mode
// by matching the destination's height or width in skin units keep matching it in device
// pixels, whatever the rounding of each edge.
ImageSpec AtPictureScale(const ImageSpec& spec, const RECT& control) {
  const DpiScale& dpi = Dpi();
  ImageSpec scaled = spec;
  scaled.src = dpi.ToDevice(spec.src);
  scaled.corner = dpi.ToDevice(spec.corner);
  RECT d = ImageDestRect(control, spec.dest);
  const RECT& c = spec.corner;
  // Only spans and places a screen can have; hostile ones are left to PlanImage's own checks.
  const long long kScreen = 1 << 20;
  auto matches = [&dpi, kScreen](long long corner, long long dest, long long from) {
    return dest > 0 && dest < kScreen && from < kScreen && corner == dpi.ToUnits((int)dest);
  };
  if (matches((long long)c.bottom - c.top, (long long)d.bottom - d.top, scaled.corner.top))
    scaled.corner.bottom = scaled.corner.top + (d.bottom - d.top);
  else if (matches((long long)c.right - c.left, (long long)d.right - d.left, scaled.corner.left))
    scaled.corner.right = scaled.corner.left + (d.right - d.left);
  return scaled;
}

}  // namespace

void DrawImageSpec(HDC hdc, const RECT& rect, const ImageSpec& unscaled, int rotation) {
  if (!hdc || unscaled.name.empty()) return;
  std::shared_ptr<CImage> image =
      CResourceManager::Instance().LoadImage(text::WideToUtf8(unscaled.name).c_str());
  if (!image || image->IsNull()) return;
  bool identity = Dpi().IsIdentity();
  ImageSpec scaled;
  if (!identity) scaled = AtPictureScale(unscaled, rect);
  const ImageSpec& spec = identity ? unscaled : scaled;
  ImagePlan plan = PlanImage(spec, rect, image->GetWidth(), image->GetHeight(), rotation);
  if (plan.layout == ImageLayout::kRotated) {
    // The package's file is the unscaled picture: away from 96 DPI the cached one is drawn.
    std::wstring path =
        identity ? CEngine::Instance().SkinLoader().PackagePath() + L"\\" + spec.name : std::wstring();
    DrawRotatedImage(hdc, path, image.get(), plan.dest, plan.src, rotation);
    return;
  }
  if (plan.pieces.empty()) return;
  ImageDcHold hold(*image);
  for (const ImagePiece& piece : plan.pieces) image->Draw(hdc, piece.dest, piece.src);
}

}  // namespace ZOV
