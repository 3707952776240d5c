// The bridge's notification-area icon: add and delete, its mouse messages, the one-item menu
// and balloon notifications.
#include <windows.h>
#include <shellapi.h>

#include "DiagnosticReport.h"
#include "GuiAdbLogic.h"
#include "ScopedWin.h"
#include "TextConv.h"
#include "resource.h"

namespace {
const wchar_t kTrayTip[] = L"Mellowin";
const wchar_t kExitItem[] = L"\u9000\u51fa";  // "exit"
const LPARAM kTrayCommandSource = 0x111;

// Copies a text into a fixed field, cut to fit with its terminating zero.
template <size_t N>
void CopyCut(wchar_t (&field)[N], const std::wstring& text) {
  size_t n = text.size() < N - 1 ? text.size() : N - 1;
  text.copy(field, n);
  field[n] = L'\0';
}
}  // namespace

// cbSize is the full record, with the balloon icon: 956 bytes on 32-bit Windows.
#ifndef _WIN64
static_assert(sizeof(NOTIFYICONDATAW) == 956, "the full record, with the balloon icon");
#endif

void CGuiAdbLogic::AddTrayIcon() {
  if (m_tray.cbSize == 0) {
    m_tray.cbSize = sizeof(NOTIFYICONDATAW);
    m_tray.hWnd = m_hWnd;
    m_tray.uID = 0;
    m_tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_tray.uCallbackMessage = WM_TRAY_CALLBACK;
    int size = ::GetSystemMetrics(SM_CYSMICON);
    m_tray.hIcon = (HICON)::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUILLON), IMAGE_ICON,
                                       size, size, LR_DEFAULTCOLOR);
    CopyCut(m_tray.szTip, kTrayTip);
  }
  ::Shell_NotifyIconW(NIM_ADD, &m_tray);
  m_trayShown = true;
}

void CGuiAdbLogic::DeleteTrayIcon() {
  // The record keeps its contents, so a later "Init" adds the same icon again.
  if (m_tray.cbSize != 0) ::Shell_NotifyIconW(NIM_DELETE, &m_tray);
  m_trayShown = false;
}

void CGuiAdbLogic::OnTaskbarCreated(void* bridge) {
  CGuiAdbLogic* self = static_cast<CGuiAdbLogic*>(bridge);
  if (!self->m_trayShown) return;
  // The icon alone: the last balloon is not shown again.
  NOTIFYICONDATAW icon = self->m_tray;
  icon.uFlags &= ~NIF_INFO;
  ::Shell_NotifyIconW(NIM_ADD, &icon);
}

void CGuiAdbLogic::OnTrayCallback(LPARAM mouseMessage) {
  switch (mouseMessage) {
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
      FireEvent("BringToTop", ScriptValue(0), ScriptValue(0));
      break;
    case WM_RBUTTONUP: {
      win::AutoMenu menu(::CreatePopupMenu());
      if (!menu) break;
      ::AppendMenuW(menu.get(), MF_STRING, ID_TRAY_EXIT, kExitItem);
      POINT pt = {};
      ::GetCursorPos(&pt);
      // A menu closes on an outside click or Esc only while its owner is the foreground window,
      // which a message-only window can never be: the instance window, hidden and top-level
      // (on this thread), owns it instead. The posted WM_NULL afterwards lets the system finish
      // the switch, or the next menu would close at once.
      HWND owner = m_instanceWindow.IsWindow() ? m_instanceWindow.m_hWnd : m_hWnd;
      ::SetForegroundWindow(owner);
      UINT command = (UINT)::TrackPopupMenuEx(menu.get(), TPM_RETURNCMD, pt.x, pt.y, owner, nullptr);
      ::PostMessageW(owner, WM_NULL, 0, 0);
      if (command != 0) ::PostMessageW(m_hWnd, WM_TRAY_COMMAND, command, kTrayCommandSource);
      break;
    }
    default:
      break;
  }
}

void CGuiAdbLogic::OnTrayCommand(WPARAM command) {
  if (command == ID_TRAY_EXIT) ExitProgram();
}

void CGuiAdbLogic::ExitProgram() {
  CallOperation("Uninit", ScriptValue(0), ScriptValue(0));
  ::PostQuitMessage(0);
}

void CGuiAdbLogic::OnShowRequest(void* bridge) {
  static_cast<CGuiAdbLogic*>(bridge)->FireEvent("BringToTop", ScriptValue(0), ScriptValue(0));
}

void CGuiAdbLogic::OnExitRequest(void* bridge) { static_cast<CGuiAdbLogic*>(bridge)->ExitProgram(); }

void CGuiAdbLogic::OnReportRequest(void* bridge) {
  CGuiAdbLogic* self = static_cast<CGuiAdbLogic*>(bridge);
  WriteDiagnosticReport(self->ListenerState(), {self->m_trayShown, self->m_usbLinked});
}

int CGuiAdbLogic::OnShellNotify(ScriptValue a, ScriptValue, ScriptValue&) {
  StartServices();  // a balloon needs the icon
  int timeout = a["timeout"].AsInt();
  const char* title = a["title"].AsString();
  const char* info = a["info"].AsString();
  m_tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO;
  m_tray.uTimeout = (UINT)timeout;
  m_tray.dwInfoFlags = NIIF_USER;
  CopyCut(m_tray.szInfoTitle, text::Utf8ToWide(title ? title : ""));
  CopyCut(m_tray.szInfo, text::Utf8ToWide(info ? info : ""));
  ::Shell_NotifyIconW(NIM_MODIFY, &m_tray);
  return 0;
}
