// Quillon's entry point: single instance, crash handler, update library, engine, script bridge,
// sockets, then the skin, whose message loop is the program's life.
#include <windows.h>

#include <lua.hpp>
#include <string>

#include "Firewall.h"
#include "GuiAdbLogic.h"
#include "InstanceWindow.h"
#include "StartOptions.h"
#include "StartupMarks.h"
#include "UpdateCallbackImpl.h"
#include "share.h"
#include "wistro.h"
#include "zov.h"

namespace {
const wchar_t kMutexName[] = L"Quillon_{7A061526-0377-4f44-A46F-C7CE3A8F630B}";
const wchar_t kMainWindowClass[] = L"ZOV_WINDOWCLASS";
const wchar_t kTitle[] = L"Mellowin";
const char kUpdateAppKey[] = "5f0c29be71d84a36c0e95b2d4a7f1803";
const char kBridgeGlobal[] = "g_GuiAdbLogic";
const wchar_t kSkinFile[] = L"skin.zip";
}  // namespace

// The engine marks its own start-up steps through this export (found by name in the host).
extern "C" __declspec(dllexport) void QuillonStartupMark(const char* name) { startup::Mark(name); }

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  startup::Mark("main");  // the loader, the DLLs' and the runtime's start came before
  // The installer's and the window's firewall switches do their job and end, before the
  // single-instance check: the elevated copy runs beside the running Quillon.
  const StartOptions options = ParseStartOptions(::GetCommandLineW());
  int firewallExit = 0;
  if (firewall::HandleCommandLine(options, &firewallExit)) return firewallExit;
  // A running copy shows its window, whatever its skin titles it, and this one ends.
  if (ShowRunningInstance()) return 0;
  // Ends this process when another copy runs (one still starting, or another session's).
  ShareLib::UniqueInstance(kMutexName, kMainWindowClass, kTitle, true, true);
  ShareLib::InitBugHandler(kTitle, 0);

  CUpdateCallbackImpl updateCallback;
  Wistro_Init(kUpdateAppKey, &updateCallback);
  startup::Mark("update-library");

  InitZOV();
  if (CGuiAdbLogic* bridge = CGuiAdbLogic::Instance()) {
    bridge->SetStartInTray(options.inTray);
    bridge->SetServicesAfterPaint(true);
  }
  if (lua_State* L = GetLuaState()) {
    PushGuiAdbLogic(L, CGuiAdbLogic::Instance());
    lua_setfield(L, LUA_GLOBALSINDEX, kBridgeGlobal);
  }

  ShareLib::CAutoWSA::Do();
  startup::Mark("engine");
  std::wstring skinPath = ShareLib::GetCurXFilePath(kSkinFile);
  LoadSkin(skinPath.c_str());

  // The bridge's workers and hidden window go before the engine closes its state.
  if (CGuiAdbLogic* bridge = CGuiAdbLogic::Instance()) delete bridge;
  UnInitZOV();
  return 0;
}
