// skinrun: runs a skin package through zov.dll in a console, for skin authors and tests.
//
//   skinrun <package folder or .zip>
//
// Adds "print" (to stdout), "_ALERT" (to stderr) and "expect" to the engine's globals, then
// loads the skin. expect(ok, what) is a skin's own check: when ok is false or nil it writes
// "failed: <what>" to stderr and counts as a report. Exit codes: 0 ran cleanly, 1 the engine
// reported errors through _ALERT or an expectation failed, 2 the package path does not
// exist, 64 usage error.
#include <windows.h>

#include <cstdio>
#include <string>

#include "lua.hpp"
#include "zov.h"

namespace {

int g_alerts = 0;

// Like Lua's own print, except that tables, functions and userdata show only their type.
int Print(lua_State* L) {
  int n = lua_gettop(L);
  for (int i = 1; i <= n; ++i) {
    if (i > 1) std::fputc('\t', stdout);
    switch (lua_type(L, i)) {
      case LUA_TSTRING:
      case LUA_TNUMBER: {
        size_t len = 0;
        const char* s = lua_tolstring(L, i, &len);
        std::fwrite(s, 1, len, stdout);
        break;
      }
      case LUA_TBOOLEAN:
        std::fputs(lua_toboolean(L, i) ? "true" : "false", stdout);
        break;
      default:
        std::fputs(lua_typename(L, lua_type(L, i)), stdout);
        break;
    }
  }
  std::fputc('\n', stdout);
  std::fflush(stdout);
  return 0;
}

int Alert(lua_State* L) {
  ++g_alerts;
  size_t len = 0;
  const char* s = lua_tolstring(L, 1, &len);
  if (s) std::fwrite(s, 1, len, stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  return 0;
}

// Written here rather than through the global "_ALERT": a skin may replace that to collect the
// engine's reports.
int Expect(lua_State* L) {
  if (lua_toboolean(L, 1)) return 0;
  ++g_alerts;
  size_t len = 0;
  const char* what = lua_tolstring(L, 2, &len);
  std::fputs("failed: ", stderr);
  if (what) std::fwrite(what, 1, len, stderr);
  std::fputc('\n', stderr);
  std::fflush(stderr);
  return 0;
}

std::wstring FullPath(const wchar_t* path) {
  DWORD n = ::GetFullPathNameW(path, 0, nullptr, nullptr);
  if (n == 0) return path;
  std::wstring full(n, L'\0');
  n = ::GetFullPathNameW(path, n, &full[0], nullptr);
  full.resize(n);
  return full;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2 || !*argv[1]) {
    std::fputs("usage: skinrun <skin folder or .zip file>\n", stderr);
    return 64;
  }
  // As Quillon.exe (its manifest): the engine scales skins to the screen's DPI itself.
  ::SetProcessDPIAware();
  InitZOV();
  lua_State* L = GetLuaState();
  if (!L) {
    std::fputs("skinrun: the engine has no Lua state\n", stderr);
    return 1;
  }
  lua_register(L, "print", Print);
  lua_register(L, "_ALERT", Alert);
  lua_register(L, "expect", Expect);

  int missing = LoadSkin(FullPath(argv[1]).c_str());
  UnInitZOV();
  std::fflush(stdout);
  std::fflush(stderr);
  if (missing == 1) {
    std::fputs("skinrun: no such package\n", stderr);
    return 2;
  }
  return g_alerts > 0 ? 1 : 0;
}
