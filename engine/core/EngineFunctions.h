// The plain global functions the engine gives every skin: "MsgBox", "Log", "Assert".
#pragma once

struct lua_State;

namespace ZOV {

void RegisterEngineFunctions(lua_State* L);

}  // namespace ZOV
