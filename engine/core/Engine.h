// The engine-wide objects behind the exports: the Lua state and the skin package.
#pragma once

#include <string>

#include "SkinLoader.h"

struct lua_State;

namespace ZOV {

// One per process (Instance()); tests may make their own. Used from the UI thread only.
class CEngine {
 public:
  CEngine() = default;
  ~CEngine();  // closes the Lua state
  CEngine(const CEngine&) = delete;
  CEngine& operator=(const CEngine&) = delete;

  static CEngine& Instance();

  // Creates the Lua state (once; a second call keeps the first) and registers the engine's
  // globals. Returns 0, or -1 when Lua could not make a state.
  int Init();
  lua_State* LuaState() const { return m_L; }
  // 1 when the path does not exist as a file or folder, else 0 (whatever the package held).
  int LoadSkin(const wchar_t* path);
  void UnInit();

  CSkinLoader& SkinLoader() { return m_skin; }

 private:
  lua_State* m_L = nullptr;  // owned
  CSkinLoader m_skin;
};

}  // namespace ZOV
