// Flags and number lists on any text: never a read past the terminating zero (ASan watches
// the heap copy, which ends exactly at it).
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "AttrParse.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<char> text(data, data + size);
  text.push_back('\0');
  ZOV::ParseFlag(text.data());
  int numbers[9];
  memset(numbers, 0x55, sizeof(numbers));
  ZOV::ParseNumberList(text.data(), numbers, 8);
  if (numbers[8] != 0x55555555) abort();  // wrote past count
  ZOV::ParseRectList(text.data());
  return 0;
}
