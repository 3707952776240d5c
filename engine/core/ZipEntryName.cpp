// Zip entry name cleaning.
#include "ZipEntryName.h"

namespace ZOV {

namespace {

// One rule application; false when no rule applies any more.
bool StripOnce(std::wstring& name) {
  if (name.size() >= 2 && name[1] == L':') {
    name.erase(0, 2);
    return true;
  }
  if (!name.empty() && (name[0] == L'\\' || name[0] == L'/')) {
    name.erase(0, 1);
    return true;
  }
  // Looked for in this order; the first kind found decides where the name is cut.
  static const wchar_t* const kParentSteps[] = {L"\\..\\", L"\\../", L"/../", L"/..\\"};
  for (const wchar_t* step : kParentSteps) {
    size_t pos = name.find(step);
    if (pos != std::wstring::npos) {
      name.erase(0, pos + 4);
      return true;
    }
  }
  return false;
}

}  // namespace

std::wstring CleanZipEntryName(std::wstring name) {
  while (StripOnce(name)) {
  }
  return name;
}

}  // namespace ZOV
