// For the footprint benchmark: what the process's own heaps and its Lua state hold, which no
// outside view can tell. Written on request (the instance window's kFootprintMessage) to the
// file named by QUILLON_FOOTPRINT_FILE, and only when that variable is set.
#pragma once

struct lua_State;

const wchar_t kFootprintMessage[] = L"QuillonFootprintReport";

// Lines "heap <base> committed <bytes> busy <bytes> blocks <n> large <bytes>" per process heap,
// "lua <bytes>" for the script state's allocations. False when nothing was written.
bool WriteFootprintReport(lua_State* L);
