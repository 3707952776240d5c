// ImageSpec: which image a control draws and how it is laid onto the control's rect.
#pragma once

#include <windows.h>

#include <string>

namespace ZOV {

// Every field zero or empty by default, which means "the whole image stretched over the
// whole control".
struct ImageSpec {
  std::wstring name;          // key in the skin's image cache; empty means no image
  RECT src = {};              // part of the image; an empty rect means the whole image
  RECT dest = {};             // offsets from the control's top-left corner (all four); all 0 = the rect
  RECT corner = {};           // three-slice or nine-grid settings; all 0 means plain stretching
  unsigned char columns = 0;  // equal frames across the source (state strip); 0 = none
  unsigned char rows = 0;     // equal frames down the source; 0 = none
  unsigned char columnIndex = 0;
  unsigned char rowIndex = 0;
};

}  // namespace ZOV
