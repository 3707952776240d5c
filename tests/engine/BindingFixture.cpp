// The binding tests' fixture.
#include "BindingFixture.h"

std::vector<std::string> BindingFixture::alerts;

namespace {

int CollectAlert(lua_State* L) {
  const char* s = lua_tostring(L, 1);
  BindingFixture::alerts.push_back(s ? s : "<not a string>");
  return 0;
}

// pcall(f, ...): true and f's results, or false and the error value.
int ProtectedCall(lua_State* L) {
  int rc = lua_pcall(L, lua_gettop(L) - 1, LUA_MULTRET, 0);
  lua_pushboolean(L, rc == 0);
  lua_insert(L, 1);
  return lua_gettop(L);
}

}  // namespace

void BindingFixture::SetUp() {
  alerts.clear();
  ASSERT_EQ(0, engine.Init());
  L = engine.LuaState();
  lua_register(L, "_ALERT", CollectAlert);
  lua_register(L, "pcall", ProtectedCall);
}

void BindingFixture::Run(const std::string& chunk) {
  int top = lua_gettop(L);
  int rc = luaL_loadbuffer(L, chunk.data(), chunk.size(), "test");
  if (rc == 0) rc = lua_pcall(L, 0, 0, 0);
  if (rc != 0) {
    const char* msg = lua_tostring(L, -1);
    ADD_FAILURE() << "chunk failed: " << (msg ? msg : "?") << "\n" << chunk;
  }
  lua_settop(L, top);
}

std::string BindingFixture::Text(const char* global) {
  lua_getglobal(L, global);
  std::string out =
      lua_isstring(L, -1) ? lua_tostring(L, -1) : std::string("<") + lua_typename(L, lua_type(L, -1)) + ">";
  lua_pop(L, 1);
  return out;
}

double BindingFixture::Number(const char* global) {
  lua_getglobal(L, global);
  double v = lua_tonumber(L, -1);
  lua_pop(L, 1);
  return v;
}

bool BindingFixture::Truth(const char* global) {
  lua_getglobal(L, global);
  bool v = lua_toboolean(L, -1) != 0;
  lua_pop(L, 1);
  return v;
}

int BindingFixture::Type(const char* global) {
  lua_getglobal(L, global);
  int t = lua_type(L, -1);
  lua_pop(L, 1);
  return t;
}
