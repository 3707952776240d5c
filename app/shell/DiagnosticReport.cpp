// The diagnostic report: the process's heaps walked block by block, its handles, GDI objects,
// threads and windows counted from inside, and what the skin's scripts hold.
#include "DiagnosticReport.h"

#include <windows.h>

#include <lua.hpp>
#include <stdio.h>
#include <vector>

#include "ProcessCounts.h"
#include "StartupMarks.h"

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
      if (entry.cbData >= 512 * 1024) large += entry.cbData;
    }
  }
  ::HeapUnlock(heap);
  fprintf(out, "heap %p committed %llu busy %llu blocks %llu large %llu\n", heap, committed, busy, blocks, large);
}

BOOL CALLBACK CountVisible(HWND hwnd, LPARAM count) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hwnd, &pid);
  if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(hwnd)) ++*reinterpret_cast<unsigned*>(count);
  return TRUE;
}

// Field `key` of the table on top of the stack as text ("" when absent); the stack is left as
// it was. Only reads: no metamethod of a skin's table can run from here (raw access).
const char* Field(lua_State* L, const char* key, char* buffer, size_t size) {
  lua_pushstring(L, key);
  lua_rawget(L, -2);
  const char* text = "";
  if (lua_type(L, -1) == LUA_TBOOLEAN) {
    text = lua_toboolean(L, -1) ? "1" : "0";
  } else if (lua_type(L, -1) == LUA_TSTRING || lua_type(L, -1) == LUA_TNUMBER) {
    snprintf(buffer, size, "%s", lua_tostring(L, -1));
    text = buffer;
  }
  lua_pop(L, 1);
  return text;
}

void WriteSkinState(FILE* out, lua_State* L) {
  char a[256], b[256], c[256], d[512];
  lua_getfield(L, LUA_GLOBALSINDEX, "Link");
  if (lua_istable(L, -1)) {
    for (const char* key : {"state", "wifi", "usb", "model"})
      fprintf(out, "skin link.%s %s\n", key, Field(L, key, a, sizeof(a)));
  }
  lua_pop(L, 1);
  lua_getfield(L, LUA_GLOBALSINDEX, "Sound");
  if (lua_istable(L, -1)) fprintf(out, "skin sound.playing %s\n", Field(L, "playing", a, sizeof(a)));
  lua_pop(L, 1);
  lua_getfield(L, LUA_GLOBALSINDEX, "Transfers");
  if (lua_istable(L, -1)) {
    lua_pushstring(L, "rows");
    lua_rawget(L, -2);
    for (int i = 1; lua_istable(L, -1) && i <= 10000; ++i) {
      lua_rawgeti(L, -1, i);
      if (!lua_istable(L, -1)) {
        lua_pop(L, 1);
        break;
      }
      const char* done = Field(L, "done", a, sizeof(a));
      const char* ok = Field(L, "ok", b, sizeof(b));
      const char* outcome = Field(L, "outcome", c, sizeof(c));
      fprintf(out, "row %s %s %s\t%s\n", *done ? done : "0", *ok ? ok : "0", *outcome ? outcome : "-",
              Field(L, "name", d, sizeof(d)));
      lua_pop(L, 1);
    }
    lua_pop(L, 1);
  }
  lua_pop(L, 1);
}

}  // namespace

bool WriteDiagnosticReport(lua_State* L, const BridgeFacts& facts) {
  wchar_t path[MAX_PATH];
  DWORD n = ::GetEnvironmentVariableW(L"QUILLON_REPORT_FILE", path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  FILE* out = _wfopen(path, L"w");
  if (!out) return false;
  std::vector<HANDLE> heaps(::GetProcessHeaps(0, nullptr) + 16);
  DWORD count = ::GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
  heaps.resize(count < heaps.size() ? count : heaps.size());
  for (HANDLE heap : heaps) WriteHeap(out, heap);
  unsigned visible = 0;
  ::EnumWindows(CountVisible, reinterpret_cast<LPARAM>(&visible));
  fprintf(out, "handles %u\ngdi %u\nthreads %u\nwindows %u\n", HandleCount(::GetCurrentProcess()), GdiObjectCount(),
          ThreadCount(::GetCurrentProcessId()), visible);
  fprintf(out, "tray %d\nusb %d\n", facts.trayShown ? 1 : 0, facts.usbLinked ? 1 : 0);
  if (L) {
    // What the scripts hold, not how much garbage the collector has yet to reach.
    lua_gc(L, LUA_GCCOLLECT, 0);
    fprintf(out, "lua %d\n", lua_gc(L, LUA_GCCOUNT, 0) * 1024 + lua_gc(L, LUA_GCCOUNTB, 0));
    WriteSkinState(out, L);
  }
  startup::WriteMarks(out);
  fclose(out);
  return true;
}
