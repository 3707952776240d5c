// Entry index keys.
#include "SkinNameKey.h"

#include <windows.h>

namespace ZOV {

std::wstring SkinNameKey(const std::wstring& name) {
  std::wstring key(name);
  if (!key.empty()) ::CharLowerBuffW(&key[0], (DWORD)key.size());
  for (wchar_t& c : key) {
    if (c == L'\\') c = L'/';
  }
  return key;
}

}  // namespace ZOV
