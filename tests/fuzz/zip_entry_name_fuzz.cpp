// Zip entry name cleaning: whatever the name, the result must keep the promises of its header.
#include <stdint.h>
#include <stdlib.h>

#include <string>

#include "ZipEntryName.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::wstring name;
  for (size_t i = 0; i + 1 < size; i += 2) name += (wchar_t)(data[i] | data[i + 1] << 8);
  std::wstring clean = ZOV::CleanZipEntryName(name);
  if (clean.size() >= 2 && clean[1] == L':') abort();
  if (!clean.empty() && (clean[0] == L'\\' || clean[0] == L'/')) abort();
  for (const wchar_t* step : {L"\\..\\", L"\\../", L"/../", L"/..\\"})
    if (clean.find(step) != std::wstring::npos) abort();
  if (ZOV::CleanZipEntryName(clean) != clean) abort();  // cleaning twice changes nothing
  return 0;
}
