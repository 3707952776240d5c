// Marks a start-up step in the host program's start-up marks (its export QuillonStartupMark),
// when the host has them; the first time of each name counts.
#pragma once

namespace ZOV {

void StartupMark(const char* name);

}  // namespace ZOV
