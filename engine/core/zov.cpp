// The exported entry points of zov.dll. Nothing may leave them by exception: the DLL and its
// host each carry their own C++ runtime.
#include "zov.h"

#include "Engine.h"

extern "C" {

ZOV_API int InitZOV(void) {
  try {
    return ZOV::CEngine::Instance().Init();
  } catch (...) {
    return -1;
  }
}

ZOV_API lua_State* GetLuaState(void) {
  try {
    return ZOV::CEngine::Instance().LuaState();
  } catch (...) {
    return nullptr;
  }
}

ZOV_API int LoadSkin(const wchar_t* path) {
  try {
    return ZOV::CEngine::Instance().LoadSkin(path);
  } catch (...) {
    return 0;
  }
}

ZOV_API void UnInitZOV(void) {
  try {
    ZOV::CEngine::Instance().UnInit();
  } catch (...) {
  }
}

}  // extern "C"
