// Entry points of the UI engine zov.dll, as the host program calls them.
//
// Order of use: InitZOV, GetLuaState (to add the host's own globals), LoadSkin (returns when
// the skin's "main" returns), UnInitZOV. All on the one thread that owns the UI.
#pragma once

#include <wchar.h>

#ifdef ZOV_BUILD_DLL
#define ZOV_API __declspec(dllexport)
#else
#define ZOV_API __declspec(dllimport)
#endif

struct lua_State;

#ifdef __cplusplus
extern "C" {
#endif

// Creates the engine's Lua state and registers its globals. The result means nothing.
ZOV_API int InitZOV(void);
// The engine's Lua state; NULL before InitZOV or when creating it failed.
ZOV_API struct lua_State* GetLuaState(void);
// Opens the skin package (a folder or a ".zip" file), runs "main.lua" and its "main".
// Returns 1 when the path does not exist, else 0.
ZOV_API int LoadSkin(const wchar_t* path);
// Closes the skin package. Windows, images and the Lua state stay.
ZOV_API void UnInitZOV(void);

#ifdef __cplusplus
}
#endif
