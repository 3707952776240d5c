// Helpers the engine's window benchmarks share: a millisecond clock, medians, the process's
// GDI objects and committed memory, and a message pump.
#pragma once

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ProcessCounts.h"

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

// The positive whole number given as argument i, else the fallback.
inline int PositiveArg(int argc, char** argv, int i, int fallback) {
  int v = argc > i ? atoi(argv[i]) : fallback;
  return v > 0 ? v : fallback;
}

// The value at fraction p of the sorted figures, rounded to the nearest rank.
inline double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t i = (size_t)(p * (v.size() - 1) + 0.5);
  return v[i];
}

inline double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

struct Usage {
  DWORD gdi;
  SIZE_T privateBytes;  // committed private memory
  SIZE_T heapBytes;     // blocks in use in the process's heaps
};

// Committed private memory, summed over the address space as VirtualQuery sees it. Wine's
// process counters are no use here: PagefileUsage follows the resident anonymous pages, which
// the kernel updates in batches, so it jumps by megabytes when pages already committed are
// first touched.
inline SIZE_T CommittedPrivateBytes() {
  SIZE_T total = 0;
  MEMORY_BASIC_INFORMATION mbi;
  const char* at = nullptr;
  while (VirtualQuery(at, &mbi, sizeof(mbi)) == sizeof(mbi)) {
    if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) total += mbi.RegionSize;
    const char* next = static_cast<const char*>(mbi.BaseAddress) + mbi.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

// Bytes in busy blocks of every heap of the process: what the program holds allocated.
inline SIZE_T HeapBusyBytes() {
  HANDLE heaps[64];
  DWORD count = GetProcessHeaps(64, heaps);
  SIZE_T total = 0;
  for (DWORD i = 0; i < count && i < 64; ++i) {
    if (!HeapLock(heaps[i])) continue;
    PROCESS_HEAP_ENTRY e = {};
    while (HeapWalk(heaps[i], &e))
      if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += e.cbData;
    HeapUnlock(heaps[i]);
  }
  return total;
}

inline Usage Measure() { return {GdiObjectCount(), CommittedPrivateBytes(), HeapBusyBytes()}; }

// "GDI objects +n, committed +k KiB, heap +k KiB" between two measurements.
inline void PrintGrowth(const char* label, const Usage& from, const Usage& to) {
  auto kib = [](SIZE_T a, SIZE_T b) { return ((long long)b - (long long)a) / 1024; };
  printf("  %-34s GDI objects %+ld, committed %+lld KiB, heap in use %+lld KiB\n", label,
         (long)to.gdi - (long)from.gdi, kib(from.privateBytes, to.privateBytes),
         kib(from.heapBytes, to.heapBytes));
}

inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace bench
