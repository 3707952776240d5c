// The colour notation on any text; "@id" goes through the lookup with the id it names.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "ColorParse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  COLORREF c = ZOV::ParseColorText(text.c_str(), [&](const char* id) -> COLORREF {
    if (id != text.c_str() + 1 || strlen(id) != strlen(text.c_str()) - 1) abort();
    return RGB(1, 2, 3);
  });
  if (c > 0xFFFFFF) abort();  // a COLORREF holds three bytes
  return 0;
}
