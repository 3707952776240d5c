// The engine's script classes and globals, registered in the Lua state at start-up.
#pragma once

struct lua_State;

namespace ZOV {

// After MsgBox, Log and Assert: "LuaUIBuilder" with g_UIMgr, "LuaTimerManager" with
// g_TimerMgr, then the window and control classes, each parent before its children.
void RegisterScriptClasses(lua_State* L);

}  // namespace ZOV
