// The process's heaps walked block by block, and the Lua state's own count of its memory.
#include "FootprintReport.h"

#include <windows.h>

#include <lua.hpp>
#include <stdio.h>
#include <vector>

#include "ScopedWin.h"

namespace {

void WriteHeap(FILE* out, HANDLE heap) {
  unsigned long long committed = 0, busy = 0, large = 0, blocks = 0;
  PROCESS_HEAP_ENTRY entry = {};
  if (!::HeapLock(heap)) return;
  while (::HeapWalk(heap, &entry)) {
    if (entry.wFlags & PROCESS_HEAP_REGION) {
      committed += entry.Region.dwCommittedSize;
      fprintf(out, "heapregion %p %lu\n", entry.lpData, entry.Region.dwCommittedSize);
    } else if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) {
      busy += entry.cbData;
      ++blocks;
      // Blocks the heap placed in allocations of their own, outside its regions.
      if (entry.cbData >= 512 * 1024) large += entry.cbData;
    }
  }
  ::HeapUnlock(heap);
  fprintf(out, "heap %p committed %llu busy %llu blocks %llu large %llu\n", heap, committed, busy, blocks, large);
}

}  // namespace

bool WriteFootprintReport(lua_State* L) {
  wchar_t path[MAX_PATH];
  DWORD n = ::GetEnvironmentVariableW(L"QUILLON_FOOTPRINT_FILE", path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  FILE* out = _wfopen(path, L"w");
  if (!out) return false;
  std::vector<HANDLE> heaps(::GetProcessHeaps(0, nullptr) + 16);
  DWORD count = ::GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  heaps.resize(count < heaps.size() ? count : heaps.size());
  for (HANDLE heap : heaps) WriteHeap(out, heap);
  if (L) fprintf(out, "lua %d\n", lua_gc(L, LUA_GCCOUNT, 0) * 1024 + lua_gc(L, LUA_GCCOUNTB, 0));
  fclose(out);
  return true;
}
