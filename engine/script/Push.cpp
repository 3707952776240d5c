// The non-template pushes: texts, window handles, rectangles, metatables.
#include "Push.h"

#include "TextConv.h"

namespace lua_tinker {

void set_class_metatable(lua_State* L, const char* className) {
  if (!className || !*className) return;
  lua_getglobal(L, className);
  if (lua_istable(L, -1))
    lua_setmetatable(L, -2);
  else
    lua_pop(L, 1);
}

void push_text(lua_State* L, const char* s) {
  if (s)
    lua_pushstring(L, s);
  else
    lua_pushnil(L);
}

std::string& text_scratch() {
  static std::string scratch;  // UI thread only
  return scratch;
}

void set_scratch(std::string&& s) { text_scratch() = std::move(s); }

void set_scratch(const std::string& s) { text_scratch() = s; }

void set_scratch(const std::wstring& s) { text_scratch() = text::WideToUtf8(s); }

void push_scratch(lua_State* L) { lua_pushlstring(L, text_scratch().data(), text_scratch().size()); }

void push_wide(lua_State* L, const wchar_t* s, std::size_t len) {
  if (!s) {
    lua_pushnil(L);
    return;
  }
  bool converted = true;
  try {
    set_scratch(std::wstring(s, len));
  } catch (...) {
    converted = false;  // out of memory: no exception may unwind through Lua's frames
  }
  if (converted)
    push_scratch(L);
  else
    lua_pushnil(L);
}

// The handle sits in a holder of its own type, which carries no class: a method that takes
// a window handle recognises it, and no method that takes an object accepts it.
void push_hwnd(lua_State* L, HWND wnd) { push_as<HWND__>(L, wnd, nullptr); }

void push_rect(lua_State* L, const RECT& rc) {
  lua_createtable(L, 0, 4);
  lua_pushnumber(L, rc.left);
  lua_setfield(L, -2, "left");
  lua_pushnumber(L, rc.top);
  lua_setfield(L, -2, "top");
  lua_pushnumber(L, rc.right);
  lua_setfield(L, -2, "right");
  lua_pushnumber(L, rc.bottom);
  lua_setfield(L, -2, "bottom");
}

}  // namespace lua_tinker
