// DrawImageSpec: the image cache, the geometry plan and the image's own draw operation.
#include "DrawImageSpec.h"

#include <memory>

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

}  // namespace

void DrawImageSpec(HDC hdc, const RECT& rect, const ImageSpec& spec, int rotation) {
  if (!hdc || spec.name.empty()) return;
  std::shared_ptr<CImage> image = CResourceManager::Instance().LoadImage(text::WideToUtf8(spec.name).c_str());
  if (!image || image->IsNull()) return;
  ImagePlan plan = PlanImage(spec, rect, image->GetWidth(), image->GetHeight(), rotation);
  if (plan.layout == ImageLayout::kRotated) {
    std::wstring path = CEngine::Instance().SkinLoader().PackagePath() + L"\\" + spec.name;
    DrawRotatedImage(hdc, path, image.get(), plan.dest, plan.src, rotation);
    return;
  }
  if (plan.pieces.empty()) return;
  ImageDcHold hold(*image);
  for (const ImagePiece& piece : plan.pieces) image->Draw(hdc, piece.dest, piece.src);
}

}  // namespace ZOV
