// The zip reader over a byte buffer, used as the skin loader uses it: list every entry, clean
// its name, and inflate the entries whose sizes are plausible.
#include <stdint.h>

#include <string>
#include <vector>

#include "ZipEntryName.h"
#include "ZipEntrySize.h"
#include "ZipReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ZOV::ZipReader zip;
  if (!zip.OpenBuffer(data, size)) return 0;
  for (int i = 0; i < zip.Count() && i < 64; ++i) {
    ZOV::ZipEntryInfo info;
    if (!zip.GetInfo(i, info)) continue;
    ZOV::CleanZipEntryName(std::wstring(info.name.begin(), info.name.end()));
    // A buffer no bigger than a fuzz input can inflate to keeps each run short.
    if (!ZOV::IsPlausibleZipEntrySize(info.compressedSize, info.uncompressedSize, info.method) ||
        info.uncompressedSize > (1u << 20))
      continue;
    std::vector<char> out((size_t)info.uncompressedSize);
    zip.Extract(i, out.data(), out.size());
  }
  return 0;
}
