// Keys of the zip loader's entry index: names compared without case and separator style.
#pragma once

#include <string>

namespace ZOV {

// Lower-cases the name (Unicode-aware, as the system does) and turns every "\" into "/",
// so "Images\Logo.PNG" and "images/logo.png" give the same key.
std::wstring SkinNameKey(const std::wstring& name);

}  // namespace ZOV
