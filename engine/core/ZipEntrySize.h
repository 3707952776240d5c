// Which entry sizes the zip loader is willing to inflate into memory.
#pragma once

#include <cstdint>

namespace ZOV {

// Nothing in a skin comes near this; a bigger claim is a damaged or hostile archive.
constexpr uint64_t kMaxZipEntrySize = 64u * 1024 * 1024;
// Deflate cannot expand data by more than about 1032:1.
constexpr uint64_t kMaxDeflateRatio = 1032;

// True when an entry that claims `uncompressed` bytes from `compressed` stored bytes may be
// extracted: not empty, within the limit, and not more than its method could produce
// (stored entries are as long as their data). Guards against headers that claim gigabytes.
bool IsPlausibleZipEntrySize(uint64_t compressed, uint64_t uncompressed, int method);

}  // namespace ZOV
