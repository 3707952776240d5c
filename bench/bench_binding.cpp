// bench_binding: the cost of one bound method call from Lua, obj:GetID(), against a bare
// lua_CFunction doing the same work (read the holder's pointer, return an int), in one run.
//
//   bench_binding [iterations]
//
// Each loop runs in the engine's own Lua state; the iteration count grows until a loop takes
// at least half a second. Also measured: the bound closure called without the member lookup
// (local f = obj.GetID; f(obj)) and an empty Lua loop, for the share of the loop itself.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Binding.h"
#include "Engine.h"
#include "lua.hpp"

namespace {

class BenchObject {
 public:
  int GetID() const { return m_id; }

 private:
  int m_id = 7;
};

// What the bound method does, written by hand.
int BareGetID(lua_State* L) {
  auto* holder = static_cast<lua_tinker::user*>(lua_touserdata(L, 1));
  lua_pushinteger(L, static_cast<BenchObject*>(holder->m_p)->GetID());
  return 1;
}

double Seconds() {
  LARGE_INTEGER now, freq;
  ::QueryPerformanceCounter(&now);
  ::QueryPerformanceFrequency(&freq);
  return (double)now.QuadPart / (double)freq.QuadPart;
}

// Runs `body` n times in a Lua loop; returns the seconds taken, or a negative value on error.
double TimeLoop(lua_State* L, const char* setup, const char* body, long n) {
  std::string chunk = std::string("local n = ...\n") + setup + "\nfor i = 1, n do " + body + " end";
  if (luaL_loadbuffer(L, chunk.data(), chunk.size(), "bench") != 0) {
    std::fprintf(stderr, "bench: %s\n", lua_tostring(L, -1));
    lua_pop(L, 1);
    return -1;
  }
  lua_pushnumber(L, (lua_Number)n);
  double start = Seconds();
  int rc = lua_pcall(L, 1, 0, 0);
  double elapsed = Seconds() - start;
  if (rc != 0) {
    std::fprintf(stderr, "bench: %s\n", lua_tostring(L, -1));
    lua_pop(L, 1);
    return -1;
  }
  return elapsed;
}

struct Case {
  const char* label;
  const char* setup;
  const char* body;
  double ns = 0;
};

}  // namespace

int main(int argc, char** argv) {
  long fixed = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 0;
  ZOV::CEngine engine;
  if (engine.Init() != 0) return 1;
  lua_State* L = engine.LuaState();

  lua_tinker::class_add<BenchObject>(L, "LuaBench");
  lua_tinker::class_def<BenchObject>(L, "GetID", &BenchObject::GetID);
  BenchObject object;
  lua_tinker::set(L, "obj", &object);
  lua_register(L, "BareGetID", BareGetID);
  // The bare function also as a member of the class, found by the same "__index" lookup.
  lua_getglobal(L, "LuaBench");
  lua_pushcfunction(L, BareGetID);
  lua_setfield(L, -2, "BareGetID");
  lua_pop(L, 1);

  Case cases[] = {
      {"empty loop", "local obj = obj", "local v = obj"},
      {"bare lua_CFunction: BareGetID(obj)", "local obj, f = obj, BareGetID", "local v = f(obj)"},
      {"bound method: obj:GetID()", "local obj = obj", "local v = obj:GetID()"},
      {"bound closure: f(obj), f = obj.GetID", "local obj = obj; local f = obj.GetID", "local v = f(obj)"},
      {"bare as method: obj:BareGetID()", "local obj = obj", "local v = obj:BareGetID()"},
  };
  for (Case& c : cases) {
    long n = fixed > 0 ? fixed : 1000000;
    double t = TimeLoop(L, c.setup, c.body, n);
    while (fixed <= 0 && t >= 0 && t < 0.5) {
      n *= t > 0.05 ? (long)(0.6 / t) + 1 : 10;
      t = TimeLoop(L, c.setup, c.body, n);
    }
    if (t < 0) return 1;
    c.ns = t * 1e9 / (double)n;
    std::printf("%-40s %10ld calls %8.3f s %8.1f ns/call\n", c.label, n, t, c.ns);
  }
  const double bare = cases[1].ns, bound = cases[2].ns, closure = cases[3].ns, bareMethod = cases[4].ns;
  std::printf("ratio bound method / bare function:     %.2f\n", bound / bare);
  std::printf("ratio bound closure / bare function:    %.2f\n", closure / bare);
  std::printf("ratio bound method / bare as method:    %.2f\n", bound / bareMethod);
  return 0;
}
