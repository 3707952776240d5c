// Cleaning of the entry names a zip archive reports, before anything looks them up.
#pragma once

#include <string>

namespace ZOV {

// Strips drive prefixes ("C:"), leading separators and everything up to a "..\" style
// parent step, repeating until none of those rules applies. The result never starts with a
// drive or a separator and holds no "<sep>..<sep>" sequence.
std::wstring CleanZipEntryName(std::wstring name);

}  // namespace ZOV
