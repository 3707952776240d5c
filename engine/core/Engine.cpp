// CEngine: state creation, skin start and shutdown.
#include "Engine.h"

#include "CallByName.h"
#include "DoBuffer.h"
#include "EngineFunctions.h"
#include "ScriptClasses.h"
#include "StartupMark.h"
#include "UIBuilder.h"
#include "lua.hpp"

namespace ZOV {

CEngine::~CEngine() {
  if (m_L) lua_close(m_L);
  m_L = nullptr;
}

CEngine& CEngine::Instance() {
  // Destroyed when the library unloads (or the process ends), closing the Lua state.
  static CEngine engine;
  return engine;
}

int CEngine::Init() {
  if (m_L) return 0;
  // No standard library: a skin sees only what the engine and the host register.
  m_L = luaL_newstate();
  if (!m_L) return -1;
  RegisterEngineFunctions(m_L);
  RegisterScriptClasses(m_L);
  return 0;
}

int CEngine::LoadSkin(const wchar_t* path) {
  if (!path || !*path || ::GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return 1;
  // A package that cannot be opened simply has no "main.lua".
  m_skin.SetPackagePath(path);
  std::string script;
  m_skin.ReadSkinFile(L"main.lua", script);
  StartupMark("skin-opened");
  if (script.empty() || !m_L) return 0;
  lua_tinker::dobuffer(m_L, script.data(), script.size());
  // Only the start script's buffer is alive here, and the calls are protected: no Lua error
  // unwinds this frame.
  lua_tinker::call<void>(m_L, "main");
  return 0;
}

void CEngine::UnInit() {
  m_skin.CloseSkin();
  CUIBuilder::Instance().ClearTemplates();
}

}  // namespace ZOV
