// Default formats and property bits of a rich edit.
#include "RichEditFormat.h"

#include <textserv.h>

#include <cstring>

namespace ZOV {

CHARFORMAT2W DefaultCharFormat(const LOGFONTW& font, COLORREF color, int logPixelsY) {
  CHARFORMAT2W cf;
  std::memset(&cf, 0, sizeof(cf));
  cf.cbSize = sizeof(cf);
  cf.dwMask = 0xF8000007;  // bold, italic, underline, charset, offset, face, colour, size
  cf.crTextColor = color;
  // A font made with a positive height asks for a cell height; the text services want the
  // character height, for which its magnitude is the nearest value at hand.
  LONG pixels = font.lfHeight < 0 ? -font.lfHeight : font.lfHeight;
  cf.yHeight = logPixelsY > 0 ? ::MulDiv(pixels, 1440, logPixelsY) : 0;
  if (font.lfWeight >= FW_BOLD) cf.dwEffects |= CFE_BOLD;
  if (font.lfItalic) cf.dwEffects |= CFE_ITALIC;
  if (font.lfUnderline) cf.dwEffects |= CFE_UNDERLINE;
  cf.bCharSet = font.lfCharSet;
  cf.bPitchAndFamily = font.lfPitchAndFamily;
  static_assert(sizeof(cf.szFaceName) / sizeof(cf.szFaceName[0]) == LF_FACESIZE, "32 units");
  wcsncpy(cf.szFaceName, font.lfFaceName, LF_FACESIZE - 1);
  return cf;
}

PARAFORMAT2 DefaultParaFormat(DWORD style) {
  PARAFORMAT2 pf;
  std::memset(&pf, 0, sizeof(pf));
  pf.cbSize = sizeof(pf);
  pf.dwMask = 0x8001003F;
  pf.wAlignment = PFA_LEFT;
  if (style & ES_CENTER)
    pf.wAlignment = PFA_CENTER;
  else if (style & ES_RIGHT)
    pf.wAlignment = PFA_RIGHT;
  pf.cTabCount = 1;
  pf.rgxTabs[0] = 720;
  return pf;
}

DWORD RichEditPropertyBits(DWORD style, DWORD hostFlags, DWORD mask) {
  DWORD bits = 0;
  if (hostFlags & kHostRichText) bits |= TXTBIT_RICHTEXT;
  if (style & ES_MULTILINE) bits |= TXTBIT_MULTILINE;
  if (style & ES_READONLY) bits |= TXTBIT_READONLY;
  if (style & ES_PASSWORD) bits |= TXTBIT_USEPASSWORD;
  if (!(style & ES_NOHIDESEL)) bits |= TXTBIT_HIDESELECTION;
  if (hostFlags & kHostAutoWordSel) bits |= TXTBIT_AUTOWORDSEL;
  if (hostFlags & kHostWordWrap) bits |= TXTBIT_WORDWRAP;
  if (hostFlags & kHostAllowBeep) bits |= TXTBIT_ALLOWBEEP;
  if (hostFlags & kHostSaveSelection) bits |= TXTBIT_SAVESELECTION;
  return bits & mask;
}

SIZEL PixelsToHimetric(int width, int height, int dpiX, int dpiY) {
  return {dpiX > 0 ? ::MulDiv(width, 2540, dpiX) : 0, dpiY > 0 ? ::MulDiv(height, 2540, dpiY) : 0};
}

}  // namespace ZOV
