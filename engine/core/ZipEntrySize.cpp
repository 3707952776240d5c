// Entry size plausibility.
#include "ZipEntrySize.h"

namespace ZOV {

bool IsPlausibleZipEntrySize(uint64_t compressed, uint64_t uncompressed, int method) {
  if (uncompressed == 0 || uncompressed > kMaxZipEntrySize) return false;
  const int kStored = 0;
  if (method == kStored) return uncompressed <= compressed;
  // Encrypted entries carry a 12-byte header in `compressed`; the slack covers it.
  return uncompressed <= compressed * kMaxDeflateRatio + 1024;
}

}  // namespace ZOV
