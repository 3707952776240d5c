// A stand-in for the skin: runs a Lua scenario against the real script bridge (g_GuiAdbLogic)
// in a console process, with a few host globals for waiting and reporting:
//   Pump(ms)        runs the message loop for ms (events reach the listener here)
//   Print(text)     one line on standard output, flushed
//   HandleCount()   the lowest free handle slot: it climbs when handles leak (Wine's
//                   GetProcessHandleCount gives 0)
//   LinkCount()     phone links in the link table
// Usage: link_host <scenario.lua>. Exit code 0 when the scenario returned true.
#include <winsock2.h>
#include <windows.h>

#include <lua.hpp>
#include <stdio.h>

#include "GuiAdbLogic.h"
#include "LinkTable.h"
#include "share.h"

namespace {

int Pump(lua_State* L) {
  DWORD ms = (DWORD)luaL_optinteger(L, 1, 0);
  DWORD start = GetTickCount();
  for (;;) {
    DWORD spent = GetTickCount() - start;
    if (spent >= ms) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - spent, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return 0;
}

int Print(lua_State* L) {
  printf("%s\n", luaL_optstring(L, 1, ""));
  fflush(stdout);
  return 0;
}

int HandleCount(lua_State* L) {
  // Handle tables hand out the lowest free slot, so a new handle's value tells how many slots
  // below it are taken.
  HANDLE probe = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  lua_pushinteger(L, (lua_Integer)((uintptr_t)probe / 4));
  if (probe) CloseHandle(probe);
  return 1;
}

int LinkCount(lua_State* L) {
  lua_pushinteger(L, (lua_Integer)CLinkTable::Instance().LinkCount());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: link_host <scenario.lua>\n");
    return 2;
  }
  ShareLib::CAutoWSA::Do();
  CGuiAdbLogic* bridge = CGuiAdbLogic::Instance();
  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  PushGuiAdbLogic(L, bridge);
  lua_setglobal(L, "g_GuiAdbLogic");
  lua_register(L, "Pump", Pump);
  lua_register(L, "Print", Print);
  lua_register(L, "HandleCount", HandleCount);
  lua_register(L, "LinkCount", LinkCount);
  int rc = 1;
  if (luaL_loadfile(L, argv[1]) != 0 || lua_pcall(L, 0, 1, 0) != 0) {
    printf("scenario error: %s\n", lua_tostring(L, -1));
  } else {
    rc = lua_toboolean(L, -1) ? 0 : 1;
  }
  fflush(stdout);
  lua_close(L);
  delete bridge;
  return rc;
}
