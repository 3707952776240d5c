// Start-up marks: see StartupMarks.h.
#include "StartupMarks.h"

#include <windows.h>

#include <string.h>

namespace startup {

namespace {

struct Entry {
  char name[32];
  double ms;
};

const int kMaxMarks = 32;
Entry g_marks[kMaxMarks];
volatile LONG g_count = 0;

unsigned long long Ticks(const FILETIME& t) {
  return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// From the creation time Windows keeps for the process: what the loader and the DLLs' own
// start cost comes before main.
double SinceCreation() {
  FILETIME created, exited, kernel, user, now;
  if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
  ::GetSystemTimeAsFileTime(&now);
  return (static_cast<double>(Ticks(now)) - static_cast<double>(Ticks(created))) / 10000.0;
}

}  // namespace

void Mark(const char* name) {
  if (!name) return;
  // Marks come from the UI thread; the count is claimed atomically all the same.
  for (LONG i = 0; i < g_count && i < kMaxMarks; ++i)
    if (strncmp(g_marks[i].name, name, sizeof(g_marks[i].name) - 1) == 0) return;
  double ms = SinceCreation();
  LONG slot = ::InterlockedIncrement(&g_count) - 1;
  if (slot >= kMaxMarks) return;
  lstrcpynA(g_marks[slot].name, name, sizeof(g_marks[slot].name));
  g_marks[slot].ms = ms;
}

void WriteMarks(FILE* out) {
  for (LONG i = 0; i < g_count && i < kMaxMarks; ++i) fprintf(out, "mark %s %.1f\n", g_marks[i].name, g_marks[i].ms);
}

}  // namespace startup
