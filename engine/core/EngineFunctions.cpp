// MsgBox, Log and Assert. Script-facing: wrong arguments never raise errors.
#include "EngineFunctions.h"

#include <windows.h>

#include "MessageHandler.h"
#include "TextConv.h"
#include "lua.hpp"

namespace ZOV {

namespace {

std::wstring ArgText(lua_State* L, int idx) {
  size_t len = 0;
  const char* s = lua_isstring(L, idx) ? lua_tolstring(L, idx, &len) : nullptr;
  return s ? text::Utf8ToWide(std::string(s, len)) : std::wstring();
}

// MsgBox(text, caption): modal, no owner window, OK button only.
int MsgBox(lua_State* L) {
  try {
    std::wstring message = ArgText(L, 1);
    std::wstring caption = ArgText(L, 2);
    ::MessageBoxW(nullptr, message.c_str(), caption.c_str(), MB_OK);
  } catch (...) {
    // No C++ exception may unwind through Lua's C frames.
  }
  return 0;
}

// Log(text): there is no log; the argument is read and dropped.
int Log(lua_State* L) {
  lua_tostring(L, 1);
  return 0;
}

}  // namespace

void RegisterEngineFunctions(lua_State* L) {
  lua_register(L, "MsgBox", MsgBox);
  lua_register(L, "Log", Log);
  lua_register(L, "Assert", lua_tinker::on_error);
}

}  // namespace ZOV
