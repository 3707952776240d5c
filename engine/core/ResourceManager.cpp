// Fonts, colours and images of the skin.
#include "ResourceManager.h"

#include <cstdlib>
#include <cstring>

#include "AttrParse.h"
#include "ColorParse.h"
#include "DoBuffer.h"
#include "DpiScale.h"
#include "Engine.h"
#include "ImageProcess.h"
#include "SkinLoader.h"
#include "TextConv.h"

namespace ZOV {

namespace {
std::wstring Wide(const char* utf8) { return text::Utf8ToWide(utf8 ? utf8 : ""); }
}  // namespace

CResourceManager& CResourceManager::Instance() {
  static CResourceManager manager(&CEngine::Instance().SkinLoader());
  return manager;
}

void CResourceManager::ReadResource(const XmlNode* resource, lua_State* L) {
  if (!resource) return;
  for (const XmlNode* child = resource->first_node(); child; child = child->next_sibling()) {
    if (child->type() != rapidxml::node_element) continue;
    if (std::strcmp(child->name(), "script") == 0) {
      RunScriptFile(Attr(child, "file"), L);
    } else if (std::strcmp(child->name(), "fontlist") == 0) {
      for (const XmlNode* f = child->first_node(); f; f = f->next_sibling())
        if (f->type() == rapidxml::node_element) AddFont(f);
    } else if (std::strcmp(child->name(), "colorlist") == 0) {
      for (const XmlNode* c = child->first_node(); c; c = c->next_sibling())
        if (c->type() == rapidxml::node_element) AddColor(c);
    }
  }
}

void CResourceManager::RunScriptFile(const char* file, lua_State* L) {
  if (!file || !m_skin || !L) return;
  std::string code;
  m_skin->ReadSkinFile(Wide(file), code);
  if (!code.empty()) lua_tinker::dobuffer(L, code.data(), code.size());
}

void CResourceManager::AddFont(const XmlNode* element) {
  std::wstring id = Wide(AttrOr(element, "id", ""));
  if (m_fonts.count(id)) return;  // the first definition of an id stays
  // A height in skin units, made at the screen's scale: the text stays native and crisp.
  int size = Dpi().ToDevice((int)std::strtol(AttrOr(element, "size", "0"), nullptr, 10));
  HFONT font = ::CreateFontW(-size, 0, 0, 0, ParseFlag(Attr(element, "bold")) ? FW_BOLD : FW_NORMAL,
                             ParseFlag(Attr(element, "italic")), ParseFlag(Attr(element, "underline")), FALSE,
                             DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH, Wide(AttrOr(element, "family", "")).c_str());
  if (font) m_fonts.emplace(id, win::AutoGdiObj(font));
}

void CResourceManager::AddColor(const XmlNode* element) {
  std::wstring id = Wide(AttrOr(element, "id", ""));
  if (m_colors.count(id)) return;
  // Parsed before insertion: "@id" sees only the colours defined so far.
  COLORREF value = ParseColor(Attr(element, "value"));
  m_colors.emplace(id, value);
}

HFONT CResourceManager::GetFont(const char* id) const {
  auto it = m_fonts.find(Wide(id));
  return it == m_fonts.end() ? nullptr : (HFONT)it->second.get();
}

COLORREF CResourceManager::GetColor(const char* id) const {
  auto it = m_colors.find(Wide(id));
  return it == m_colors.end() ? 0 : it->second;
}

COLORREF CResourceManager::ParseColor(const char* text) const {
  return ParseColorText(text, [this](const char* id) { return GetColor(id); });
}

std::shared_ptr<CImage> CResourceManager::GetImage(const char* name) const {
  auto it = m_images.find(Wide(name));
  return it == m_images.end() ? nullptr : it->second;
}

std::shared_ptr<CImage> CResourceManager::LoadImage(const char* name) {
  std::wstring key = Wide(name);
  auto it = m_images.find(key);
  if (it != m_images.end()) return it->second;
  if (!m_skin || key.empty()) return nullptr;
  auto image = std::make_shared<CImage>();
  // Cached at the screen's scale: the picture drawn for it when the skin has one, else the
  // skin's own picture scaled smoothly.
  const DpiScale& dpi = Dpi();
  bool drawnForScale = !dpi.IsIdentity() && LoadPicture(dpi.PictureNameFor(key), *image);
  if (!drawnForScale) {
    if (!LoadPicture(key, *image)) return nullptr;
    if (!dpi.IsIdentity())
      ScaleSmoothly(*image, dpi.ToDevice(image->GetWidth()), dpi.ToDevice(image->GetHeight()));
  }
  m_images.emplace(key, image);
  return image;
}

bool CResourceManager::LoadPicture(const std::wstring& name, CImage& image) {
  if (m_skin->LoadSkinImage(name, image) != 0 || image.IsNull()) return false;
  if (image.GetBPP() == 32)
    PremultiplyAlpha(image);
  else if (image.GetBPP() == 24)
    WhiteToTransparent(image);
  return true;
}

}  // namespace ZOV
