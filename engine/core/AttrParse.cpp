// Flag and number-list attribute parsers.
#include "AttrParse.h"

#include <cstdlib>
#include <cstring>

namespace ZOV {

bool ParseFlag(const char* value) { return value && std::strcmp(value, "0") != 0; }

void ParseNumberList(const char* value, int* out, int count) {
  for (int i = 0; i < count; ++i) out[i] = 0;
  if (!value) return;
  const char* p = value;
  for (int i = 0; i < count; ++i) {
    char* end = nullptr;
    out[i] = (int)std::strtol(p, &end, 10);
    p = end;
    if (*p == '\0') break;
    ++p;  // the separator
  }
}

RECT ParseRectList(const char* value) {
  int n[4];
  ParseNumberList(value, n, 4);
  return RECT{n[0], n[1], n[2], n[3]};
}

}  // namespace ZOV
