// Helpers the engine's window benchmarks share: a millisecond clock, medians, the process's
// GDI objects and committed memory, and a message pump.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "GdiCount.h"

namespace bench {

// Milliseconds from the performance counter.
inline double NowMs() {
  static const LONGLONG freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart * 1000.0 / freq;
}

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Usage {
  DWORD gdi;
  SIZE_T privateBytes;
};

inline Usage Measure() {
  PROCESS_MEMORY_COUNTERS_EX pmc = {};
  pmc.cb = sizeof(pmc);
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof(pmc));
  // PagefileUsage is the committed private memory (Wine leaves PrivateUsage at 0).
  return {GdiObjectCount(), pmc.PagefileUsage};
}

// "GDI objects +n, private bytes +k KiB" between two measurements.
inline void PrintGrowth(const char* label, const Usage& from, const Usage& to) {
  printf("  %-34s GDI objects %+ld, private bytes %+ld KiB\n", label, (long)to.gdi - (long)from.gdi,
         ((long)to.privateBytes - (long)from.privateBytes) / 1024);
}

inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace bench
