// CGuiAdbLogic: the one object through which the skin's scripts drive the program
// (g_GuiAdbLogic) and through which the program's events reach the scripts.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <map>
#include <string>

#include "LuaListenerImpl.h"
#include "ScriptValue.h"
#include "WindowImpl.h"
#include "kelp.h"

struct lua_State;
namespace ShareLib {
class CTaskQueueThread;
}

const UINT WM_TRAY_CALLBACK = 0x1B70;
const UINT WM_TRAY_COMMAND = 0x1B71;

class CGuiAdbLogic : public CWindowImpl<CGuiAdbLogic>, public LuaListenerImpl<CGuiAdbLogic> {
 public:
  // The process's bridge, created on first use on the calling (UI) thread; null when the
  // allocation failed. Deleted by the entry point at shutdown.
  static CGuiAdbLogic* Instance();
  static const wchar_t* GetWndClassName() { return L"QuillonBridgeWindow"; }

  CGuiAdbLogic();
  ~CGuiAdbLogic() override;

  BOOL ProcessWindowMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& lResult,
                            DWORD msgMapId = 0) override;

  // Script method Call(name, a, b): runs the named operation, returns its value (nil when the
  // name is unknown).
  int Call(lua_State* L);
  // Runs an operation from C++ (the tray menu's exit runs "Uninit" this way).
  ScriptValue CallOperation(const std::string& name, const ScriptValue& a, const ScriptValue& b);

  // The notification-area icon's record; cbSize 0 until the icon was first added.
  const NOTIFYICONDATAW& TrayRecord() const { return m_tray; }

 private:
  typedef int (CGuiAdbLogic::*Operation)(ScriptValue a, ScriptValue b, ScriptValue& result);

  int OnInit(ScriptValue a, ScriptValue b, ScriptValue& result);
  int OnUninit(ScriptValue a, ScriptValue b, ScriptValue& result);
  int OnHandleDropFiles(ScriptValue a, ScriptValue b, ScriptValue& result);
  int OnNothing(ScriptValue a, ScriptValue b, ScriptValue& result);
  int OnDeleteRecord(ScriptValue a, ScriptValue b, ScriptValue& result);
  int OnGetTaskRecords(ScriptValue a, ScriptValue b, ScriptValue& result);
  int OnStartCapture(ScriptValue a, ScriptValue b, ScriptValue& result);
  int OnStopCapture(ScriptValue a, ScriptValue b, ScriptValue& result);
  int OnShellNotify(ScriptValue a, ScriptValue b, ScriptValue& result);
  int OnSendMsg(ScriptValue a, ScriptValue b, ScriptValue& result);

  void AddTrayIcon();
  void DeleteTrayIcon();
  void OnTrayCallback(LPARAM mouseMessage);
  void OnTrayCommand(WPARAM command);

  CKelpCommand m_kelp;
  ShareLib::CTaskQueueThread* m_taskQueue = nullptr;  // owned
  std::string m_deviceKey;
  std::map<std::string, int> m_extensions;
  std::map<std::string, Operation> m_operations;
  bool m_usbLinked = false;
  NOTIFYICONDATAW m_tray = {};  // UI thread only
  bool m_addrWatchRunning = false;
};

// Pushes the bridge as a full userdata of class "GuiAdbLogic" (nil for a null bridge).
void PushGuiAdbLogic(lua_State* L, CGuiAdbLogic* bridge);
