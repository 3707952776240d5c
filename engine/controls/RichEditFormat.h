// What a rich edit tells its text services about itself: default formats, property bits and
// the extent, computed from the control's settings alone.
#pragma once

#include <windows.h>
#include <richedit.h>

namespace ZOV {

// Host flags of a rich edit.
enum RichEditHostFlag : DWORD {
  kHostAutoWordSel = 0x1,
  kHostWordWrap = 0x2,
  kHostAllowBeep = 0x4,
  kHostRichText = 0x8,
  kHostSaveSelection = 0x10,
  kHostInPlaceActive = 0x20,
  kHostTransparent = 0x40,
  kHostTimerRunning = 0x80,
  kHostHasCapture = 0x100,
};

// The default character format from a font, in the given colour; height in twips for a
// device of logPixelsY dots per inch.
CHARFORMAT2W DefaultCharFormat(const LOGFONTW& font, COLORREF color, int logPixelsY);

// Left aligned with one tab stop at 720 twips; centred or right-aligned by ES_CENTER/ES_RIGHT.
PARAFORMAT2 DefaultParaFormat(DWORD style);

// The TXTBIT_ property bits of an edit style and host flags, masked.
DWORD RichEditPropertyBits(DWORD style, DWORD hostFlags, DWORD mask);

// A size in pixels as HIMETRIC (hundredths of a millimetre) at the given dots per inch.
SIZEL PixelsToHimetric(int width, int height, int dpiX, int dpiY);

}  // namespace ZOV
