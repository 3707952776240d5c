// CResourceManager: the skin's named fonts and colours, the colour notation, and the cache of
// decoded images that controls draw from. One per process; UI thread only.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "Image.h"
#include "ScopedWin.h"
#include "XmlAttr.h"

struct lua_State;

namespace ZOV {

class CSkinLoader;

class CResourceManager {
 public:
  // skin: where images and resource scripts are read from (not owned).
  explicit CResourceManager(CSkinLoader* skin) : m_skin(skin) {}
  CResourceManager(const CResourceManager&) = delete;
  CResourceManager& operator=(const CResourceManager&) = delete;

  // The engine's instance, reading from the engine's skin package.
  static CResourceManager& Instance();

  // A "resource" element: "script" children run at once (in L), "fontlist" and "colorlist"
  // children are added, in document order; anything else is ignored.
  void ReadResource(const XmlNode* resource, lua_State* L);
  // Runs a Lua file of the package (a "script" element's "file"); nothing when it is missing.
  void RunScriptFile(const char* file, lua_State* L);
  void AddFont(const XmlNode* element);
  void AddColor(const XmlNode* element);

  HFONT GetFont(const char* id) const;          // null when absent
  COLORREF GetColor(const char* id) const;      // black when absent
  COLORREF ParseColor(const char* text) const;  // "#RRGGBB", "@id", "rgb(r,g,b)"

  // The cached image, or null.
  std::shared_ptr<CImage> GetImage(const char* name) const;
  // The cached image, or decoded, converted and cached now; null when the package has no
  // such picture (nothing is cached then, so the next call tries again). Images are cached
  // at the screen's scale (see DpiScale::PictureNameFor): geometry that skins give in picture
  // pixels (src, corner) is scaled by the same factor when drawn.
  std::shared_ptr<CImage> LoadImage(const char* name);

 private:
  // Decodes one file of the package and converts it for the cache; false when it is missing.
  bool LoadPicture(const std::wstring& name, CImage& image);

  CSkinLoader* m_skin;
  std::map<std::wstring, win::AutoGdiObj> m_fonts;
  std::map<std::wstring, COLORREF> m_colors;
  std::map<std::wstring, std::shared_ptr<CImage>> m_images;
};

}  // namespace ZOV
