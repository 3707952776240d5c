// CGuiAdbLogic: the one object through which the skin's scripts drive the program
// (g_GuiAdbLogic) and through which the program's events reach the scripts.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <map>
#include <string>

#include "AddressWatch.h"
#include "DeviceKey.h"
#include "IOCPServer.h"
#include "LanFinder.h"
#include "LinkCallbacks.h"
#include "LuaListenerImpl.h"
#include "PortForwarder.h"
#include "Quillon.h"
#include "ScriptValue.h"
#include "TaskListener.h"
#include "InstanceWindow.h"
#include "WindowImpl.h"
#include "kelp.h"

struct lua_State;
namespace ShareLib {
class CTaskQueueThread;
}

const UINT WM_TRAY_CALLBACK = 0x1B70;
const UINT WM_TRAY_COMMAND = 0x1B71;

class CGuiAdbLogic : public CWindowImpl<CGuiAdbLogic>,
                     public LuaListenerImpl<CGuiAdbLogic>,
                     public IKELPEventHandler,
                     public ITaskListener,
                     public IFoundCallback,
                     public IIOCPCallback {
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

  // Set by the entry point before the skin starts: the window begins hidden in the tray.
  void SetStartInTray(bool inTray) { m_startInTray = inTray; }
  // Set by the entry point before the skin starts: "Init" leaves the tray icon and the services
  // (completion server, device library, LAN discovery, address watch) to start once the window
  // has painted; an operation that needs them before then starts them at once. Their events
  // come by posted messages either way, so the scripts see no difference.
  void SetServicesAfterPaint(bool later) { m_servicesAfterPaint = later; }
  bool ServicesStarted() const { return m_services == Services::kStarted; }

  // The notification-area icon's record; cbSize 0 until the icon was first added.
  const NOTIFYICONDATAW& TrayRecord() const { return m_tray; }

  // IKELPEventHandler (GuiAdbLogicDevice.cpp): on the device bridge library's threads.
  void OnDeviceInsert(const wchar_t* serial, const char* description) override;
  void OnDeviceRemove(uint32_t reserved) override;
  void OnDeviceReady(const char* deviceId, int status) override;
  void OnPushProgress(const char* file, int done, int total) override;
  // ITaskListener (GuiAdbLogicTasks.cpp): on the task queue thread.
  void OnTaskEvent(int actionType, int status, int reserved, int recordId) override;

  // The current device key (a copy); empty when no device is known.
  std::string DeviceKey() const { return m_deviceKey.Get(); }
  bool UsbLinked() const { return m_usbLinked; }
  // The address-change watch: its running flag, and whether the wait loop serves it (tests).
  bool AddressWatchRunning() const { return m_addrWatchRunning; }
  bool AddressWatchActive() { return m_addrWatch.Active(); }

  // IFoundCallback and IIOCPCallback (GuiAdbLogicLink.cpp): run on discovery and completion
  // threads; events they raise are posted to the UI thread.
  void OnFound(SOCKET s, uint32_t address, uint16_t port) override;
  void OnAdd(SOCKET s) override;
  void OnReceived(SOCKET s, const unsigned char* data, int length) override;
  bool OnClosed(SOCKET s) override;
  void OnAborted(SOCKET s) override;

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
  // What a skin cannot find out by itself (its Lua has no string or os library).
  int OnGetVersion(ScriptValue a, ScriptValue b, ScriptValue& result);
  int OnGetUILanguage(ScriptValue a, ScriptValue b, ScriptValue& result);
  int OnStartsInTray(ScriptValue a, ScriptValue b, ScriptValue& result);
  int OnTrimText(ScriptValue a, ScriptValue b, ScriptValue& result);
  // Lets phones through the firewall (asks for elevation): the exit code, 0 when allowed.
  int OnAllowFirewall(ScriptValue a, ScriptValue b, ScriptValue& result);

  void AddTrayIcon();
  void DeleteTrayIcon();
  static void OnTaskbarCreated(void* bridge);
  static void OnShowRequest(void* bridge);
  static void OnExitRequest(void* bridge);
  static void OnReportRequest(void* bridge);
  // Ends the program as the tray menu's exit does: "Uninit", then the message loop ends.
  void ExitProgram();
  void OnTrayCallback(LPARAM mouseMessage);
  void OnTrayCommand(WPARAM command);

  void LinkUsbDevice(const char* deviceId);
  // Between "Init" and "Uninit", once; UI thread.
  void StartServices();
  void OnTimer(WPARAM id);

  friend class CBridgeLinkHost;
  void StartAddressWatch();
  static void RefreshDiscovery(void* bridge);

  CKelpCommand m_kelp;
  ShareLib::CTaskQueueThread* m_taskQueue = nullptr;  // owned
  CDeviceKey m_deviceKey;  // written on the library's threads, read on the UI thread
  std::map<std::string, int> m_extensions;
  std::map<std::string, Operation> m_operations;
  // Serves discovery's sockets and the address watch on one thread; declared before both.
  CWaitLoop m_waitLoop;
  CLanFinder m_finder{&m_waitLoop};
  CIOCPServer m_server;
  CQuillon m_quillon;
  CKelpForwarder m_forwarder{&m_kelp};  // the phone links' way to ADB forwards
  std::atomic<bool> m_usbLinked{false};  // written on the library's threads
  bool m_startInTray = false;   // UI thread only
  bool m_servicesAfterPaint = false;  // UI thread only
  enum class Services { kOff, kPending, kStarted };  // before "Init" and after "Uninit": off
  Services m_services = Services::kOff;              // UI thread only
  NOTIFYICONDATAW m_tray = {};  // UI thread only
  bool m_trayShown = false;     // added and not deleted since; UI thread only
  CInstanceWindow m_instanceWindow;  // UI thread; made by "Init"
  std::atomic<bool> m_addrWatchRunning{false};  // any thread
  // Declared last: destroyed first, it refreshes m_finder.
  CAddressWatch m_addrWatch{&m_addrWatchRunning, &CGuiAdbLogic::RefreshDiscovery, this, nullptr, &m_waitLoop};
};

// Pushes the bridge as a full userdata of class "GuiAdbLogic" (nil for a null bridge).
void PushGuiAdbLogic(lua_State* L, CGuiAdbLogic* bridge);
