// Start-up marks: milliseconds from the process's creation to named steps of the start (the
// first time each is reached), for the diagnostic report. The engine reaches them through the
// program's export QuillonStartupMark; each costs a clock read.
#pragma once

#include <stdio.h>

namespace startup {

// Keeps the first time of each name (up to 32 names); later calls with a known name do nothing.
void Mark(const char* name);
// One "mark <name> <ms>" line per mark, in the order reached.
void WriteMarks(FILE* out);

}  // namespace startup
