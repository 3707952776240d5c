// The script bridge: construction, the operation table, the hidden window's messages.
#include "GuiAdbLogic.h"

#include <lua.hpp>
#include <new>

#include "ExtensionTable.h"
#include "LinkTable.h"
#include "share.h"

CGuiAdbLogic* CGuiAdbLogic::Instance() {
  // Function-local static: created once, on the first (UI) thread, before any worker exists.
  static CGuiAdbLogic* s_instance = new (std::nothrow) CGuiAdbLogic();
  return s_instance;
}

CGuiAdbLogic::CGuiAdbLogic() {
  m_operations["Init"] = &CGuiAdbLogic::OnInit;
  m_operations["Uninit"] = &CGuiAdbLogic::OnUninit;
  m_operations["HandleDropFiles"] = &CGuiAdbLogic::OnHandleDropFiles;
  m_operations["Install"] = &CGuiAdbLogic::OnNothing;
  m_operations["DeleteRecord"] = &CGuiAdbLogic::OnDeleteRecord;
  m_operations["GetTaskRecords"] = &CGuiAdbLogic::OnGetTaskRecords;
  m_operations["StartCapture"] = &CGuiAdbLogic::OnStartCapture;
  m_operations["StopCapture"] = &CGuiAdbLogic::OnStopCapture;
  m_operations["ShellNotify"] = &CGuiAdbLogic::OnShellNotify;
  m_operations["SendMsg"] = &CGuiAdbLogic::OnSendMsg;
  m_operations["ShareWifi"] = &CGuiAdbLogic::OnNothing;
  m_operations["GetVersion"] = &CGuiAdbLogic::OnGetVersion;
  m_operations["GetUILanguage"] = &CGuiAdbLogic::OnGetUILanguage;
  m_operations["StartsInTray"] = &CGuiAdbLogic::OnStartsInTray;
  m_operations["TrimText"] = &CGuiAdbLogic::OnTrimText;
  m_operations["AllowFirewall"] = &CGuiAdbLogic::OnAllowFirewall;
}

CGuiAdbLogic::~CGuiAdbLogic() {
  // The process's table outlives the bridge and its server.
  CLinkTable::Instance().SetCloser(nullptr);
  if (m_taskQueue) {
    m_taskQueue->Destroy();
    delete m_taskQueue;
    m_taskQueue = nullptr;
  }
  if (IsWindow()) DestroyWindow();
  if (m_tray.hIcon) ::DestroyIcon(m_tray.hIcon);
}

BOOL CGuiAdbLogic::ProcessWindowMessage(HWND, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& lResult, DWORD) {
  switch (msg) {
    case WM_DELIVER_EVENT:
      DeliverEvent((int)wParam);
      break;
    case WM_TRAY_CALLBACK:
      OnTrayCallback(lParam);
      break;
    case WM_TRAY_COMMAND:
      OnTrayCommand(wParam);
      break;
    default:
      return FALSE;
  }
  lResult = 0;
  return TRUE;
}

int CGuiAdbLogic::Call(lua_State* L) {
  // A name that is neither a string nor a number finds nothing.
  const char* name = lua_type(L, 2) == LUA_TSTRING || lua_type(L, 2) == LUA_TNUMBER ? lua_tostring(L, 2) : nullptr;
  ScriptValue a = ScriptValue::FromLua(L, 3);
  ScriptValue b = ScriptValue::FromLua(L, 4);
  ScriptValue result = name ? CallOperation(name, a, b) : ScriptValue();
  result.PushToLua(L);
  return 1;
}

ScriptValue CGuiAdbLogic::CallOperation(const std::string& name, const ScriptValue& a, const ScriptValue& b) {
  ScriptValue result;
  auto it = m_operations.find(name);
  if (it != m_operations.end()) (this->*(it->second))(a, b, result);
  return result;
}

int CGuiAdbLogic::OnInit(ScriptValue, ScriptValue, ScriptValue&) {
  // The hidden message-only window receives events posted from worker threads.
  Create(HWND_MESSAGE);
  if (!m_instanceWindow.IsWindow())
    m_instanceWindow.Start({&CGuiAdbLogic::OnTaskbarCreated, &CGuiAdbLogic::OnShowRequest, &CGuiAdbLogic::OnExitRequest,
                            &CGuiAdbLogic::OnReportRequest},
                           this);
  BuildExtensionTable(m_extensions);
  m_server.Start(this, -1);
  CLinkTable::Instance().SetCloser(&m_server);
  m_kelp.Init(this);
  m_finder.Start(this);
  ::CoInitialize(nullptr);
  AddTrayIcon();
  StartAddressWatch();
  return 0;
}

int CGuiAdbLogic::OnUninit(ScriptValue, ScriptValue, ScriptValue&) {
  DeleteTrayIcon();
  m_quillon.Stop();
  m_addrWatchRunning = false;
  m_finder.Stop();
  m_kelp.close();
  m_server.Stop();
  CLinkTable::Instance().Clear();
  CLinkTable::Instance().SetCloser(nullptr);
  return 0;
}

int CGuiAdbLogic::OnNothing(ScriptValue, ScriptValue, ScriptValue&) { return 0; }

int CGuiAdbLogic::OnSendMsg(ScriptValue a, ScriptValue, ScriptValue&) {
  (void)a.AsString();
  return 0;
}
