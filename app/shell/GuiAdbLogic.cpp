// The script bridge: construction, the operation table, the hidden window's messages.
#include "GuiAdbLogic.h"

#include <lua.hpp>
#include <new>

#include "ExtensionTable.h"
#include "LinkTable.h"
#include "StartupMarks.h"
#include "share.h"

namespace {
// WM_TIMER comes after every WM_PAINT due (a timer is the lowest of the queue's messages): the
// first timer tells the window has painted. Wine shows painted pixels when the thread next
// waits, so the services follow a short timer later.
const UINT_PTR kPaintedTimer = 1;
const UINT_PTR kServicesTimer = 2;
const UINT kServicesDelayMs = 50;
}  // namespace

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
    case WM_TIMER:
      OnTimer(wParam);
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
  startup::Mark("bridge-init");
  // The hidden message-only window receives events posted from worker threads.
  Create(HWND_MESSAGE);
  if (!m_instanceWindow.IsWindow())
    m_instanceWindow.Start({&CGuiAdbLogic::OnTaskbarCreated, &CGuiAdbLogic::OnShowRequest, &CGuiAdbLogic::OnExitRequest,
                            &CGuiAdbLogic::OnReportRequest},
                           this);
  BuildExtensionTable(m_extensions);
  ::CoInitialize(nullptr);
  if (m_services == Services::kOff) m_services = Services::kPending;
  if (m_servicesAfterPaint && IsWindow() && ::SetTimer(m_hWnd, kPaintedTimer, 0, nullptr)) return 0;
  StartServices();
  return 0;
}

void CGuiAdbLogic::StartServices() {
  if (m_services != Services::kPending) return;
  m_services = Services::kStarted;
  if (IsWindow()) {
    ::KillTimer(m_hWnd, kPaintedTimer);
    ::KillTimer(m_hWnd, kServicesTimer);
  }
  AddTrayIcon();  // under Wine a call to the tray's process: the longest step of all
  startup::Mark("tray-icon");
  m_server.Start(this, -1);
  CLinkTable::Instance().SetCloser(&m_server);
  startup::Mark("completion-server");
  m_kelp.Init(this);
  startup::Mark("device-library");
  m_finder.Start(this);
  startup::Mark("lan-finder");
  StartAddressWatch();
  startup::Mark("services-started");
}

void CGuiAdbLogic::OnTimer(WPARAM id) {
  ::KillTimer(m_hWnd, id);
  if (id == kPaintedTimer)
    ::SetTimer(m_hWnd, kServicesTimer, kServicesDelayMs, nullptr);
  else if (id == kServicesTimer)
    StartServices();
}

int CGuiAdbLogic::OnUninit(ScriptValue, ScriptValue, ScriptValue&) {
  DeleteTrayIcon();
  if (IsWindow()) {
    ::KillTimer(m_hWnd, kPaintedTimer);
    ::KillTimer(m_hWnd, kServicesTimer);
  }
  m_services = Services::kOff;  // a later "Init" starts them again
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
