// Colour notation parser.
#include "ColorParse.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace ZOV {

namespace {

bool StartsWithNoCase(const char* text, const char* prefix) {
  for (; *prefix; ++text, ++prefix)
    if (std::tolower((unsigned char)*text) != *prefix) return false;
  return true;
}

}  // namespace

COLORREF ParseColorText(const char* text, const std::function<COLORREF(const char* id)>& lookupId) {
  if (!text) return 0;
  if (text[0] == '#') {
    // Reading stops at the first non-hexadecimal character; "#F00" is not expanded.
    unsigned long v = std::strtoul(text + 1, nullptr, 16);
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  if (text[0] == '@') return lookupId ? lookupId(text + 1) : 0;
  if (StartsWithNoCase(text, "rgb(")) {
    const char* p = text + 4;
    int c[3] = {0, 0, 0};
    for (int i = 0; i < 3; ++i) {
      char* end = nullptr;
      c[i] = (int)std::strtol(p, &end, 10);  // strtol skips leading white space itself
      p = end;
      if (i < 2 && *p) ++p;  // exactly one separator, never past the end
    }
    return RGB(c[0] & 0xFF, c[1] & 0xFF, c[2] & 0xFF);
  }
  return 0;
}

}  // namespace ZOV
