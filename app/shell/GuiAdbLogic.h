// CGuiAdbLogic: the one object through which the skin's scripts drive the program
// (g_GuiAdbLogic) and through which the program's events reach the scripts.
#pragma once

#include <vector>

struct lua_State;

class CGuiAdbLogic {
 public:
  // The process's bridge, created on first use on the calling (UI) thread; null when the
  // allocation failed. Deleted by the entry point at shutdown.
  static CGuiAdbLogic* Instance();

  CGuiAdbLogic();
  virtual ~CGuiAdbLogic();
  CGuiAdbLogic(const CGuiAdbLogic&) = delete;
  CGuiAdbLogic& operator=(const CGuiAdbLogic&) = delete;

  // Script methods; each returns its Lua result count.
  int AttachListener(lua_State* L);
  int Call(lua_State* L);

 private:
  struct Listener {
    lua_State* L;
    int ref;
  };
  std::vector<Listener> m_listeners;  // UI thread only
};

// Pushes the bridge as a full userdata of class "GuiAdbLogic" (nil for a null bridge).
void PushGuiAdbLogic(lua_State* L, CGuiAdbLogic* bridge);
