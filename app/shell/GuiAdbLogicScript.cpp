// The "GuiAdbLogic" script class: a full userdata holding the bridge pointer, whose metatable
// (kept in the registry) indexes itself and carries the two method closures.
#include <lua.hpp>

#include "GuiAdbLogic.h"

namespace {

const char kClassName[] = "GuiAdbLogic";

// Each method runs on the base that owns it: the listener part or the bridge itself.
int AttachListenerMethod(CGuiAdbLogic* self, lua_State* L) {
  return static_cast<LuaListenerBase*>(self)->AttachListener(L);
}
int CallMethodOfBridge(CGuiAdbLogic* self, lua_State* L) { return self->Call(L); }

const struct {
  const char* name;
  int (*method)(CGuiAdbLogic*, lua_State*);
} kMethods[] = {
    {"AttachListener", AttachListenerMethod},
    {"Call", CallMethodOfBridge},
};

// The upvalue is the method's index in kMethods.
int CallMethod(lua_State* L) {
  CGuiAdbLogic** holder = static_cast<CGuiAdbLogic**>(luaL_checkudata(L, 1, kClassName));
  int index = (int)lua_tointeger(L, lua_upvalueindex(1));
  CGuiAdbLogic* self = *holder;
  if (!self || index < 0 || index >= (int)(sizeof(kMethods) / sizeof(kMethods[0]))) return 0;
  return kMethods[index].method(self, L);
}

}  // namespace

void PushGuiAdbLogic(lua_State* L, CGuiAdbLogic* bridge) {
  if (!bridge) {
    lua_pushnil(L);
    return;
  }
  CGuiAdbLogic** holder = static_cast<CGuiAdbLogic**>(lua_newuserdata(L, sizeof(CGuiAdbLogic*)));
  *holder = bridge;
  if (luaL_newmetatable(L, kClassName)) {
    lua_pushvalue(L, -1);
    lua_setfield(L, -2, "__index");
    for (int i = 0; i < (int)(sizeof(kMethods) / sizeof(kMethods[0])); ++i) {
      lua_pushinteger(L, i);
      lua_pushcclosure(L, CallMethod, 1);
      lua_setfield(L, -2, kMethods[i].name);
    }
  }
  lua_setmetatable(L, -2);
}
