// MD5 digests through Windows CNG (bcrypt), which Wine implements as well.
#include "share.h"

#include <bcrypt.h>

namespace ShareLib {
namespace {

// Hashes in one pass; leaves the digest zeroed when CNG is unavailable.
void Digest(const void* data, size_t length, unsigned char out[16]) {
  memset(out, 0, 16);
  BCRYPT_ALG_HANDLE alg = nullptr;
  if (BCryptOpenAlgorithmProvider(&alg, BCRYPT_MD5_ALGORITHM, nullptr, 0) < 0) return;
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (BCryptCreateHash(alg, &hash, nullptr, 0, nullptr, 0, 0) >= 0) {
    // BCryptHashData takes a ULONG length and a non-const pointer; feed large inputs in pieces.
    const unsigned char* p = static_cast<const unsigned char*>(data);
    bool ok = true;
    while (ok && length > 0) {
      ULONG chunk = length > 0x40000000u ? 0x40000000u : static_cast<ULONG>(length);
      ok = BCryptHashData(hash, const_cast<PUCHAR>(p), chunk, 0) >= 0;
      p += chunk;
      length -= chunk;
    }
    if (!ok || BCryptFinishHash(hash, out, 16, 0) < 0) memset(out, 0, 16);
    BCryptDestroyHash(hash);
  }
  BCryptCloseAlgorithmProvider(alg, 0);
}

}  // namespace

MD5::MD5(const std::string& data) { Digest(data.data(), data.size(), m_digest); }

MD5::MD5(const void* data, size_t length) {
  if (!data) length = 0;
  Digest(data, length, m_digest);
}

std::string MD5::toString() const {
  static const char kHex[] = "0123456789abcdef";
  char text[33];
  for (int i = 0; i < 16; ++i) {
    text[i * 2] = kHex[m_digest[i] >> 4];
    text[i * 2 + 1] = kHex[m_digest[i] & 15];
  }
  text[32] = '\0';
  try {
    return std::string(text, 32);
  } catch (...) {
    return std::string();
  }
}

}  // namespace ShareLib
