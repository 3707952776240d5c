// For the footprint benchmark and the day-of-use run: what no outside view of the process can
// tell. Written on request (the instance window's kReportMessage) to the file named by
// QUILLON_REPORT_FILE, and only when that variable is set; a user's Quillon never writes it.
#pragma once

struct lua_State;

const wchar_t kReportMessage[] = L"QuillonDiagnosticReport";

// What the bridge knows of itself.
struct BridgeFacts {
  bool trayShown;
  bool usbLinked;
};

// One fact per line:
//   heap <base> committed <bytes> busy <bytes> blocks <n> large <bytes>   (each process heap)
//   heapregion <base> <committed bytes>
//   lua <bytes>                       the script state's allocations
//   handles <n> / gdi <n> / threads <n> / windows <visible top-level windows>
//   tray <0|1> / usb <0|1>
//   skin <name> <value>               the default skin's Link and Sound state, when present
//   row <done 0|1> <ok 0|1> <outcome>\t<file name>   its transfer rows, oldest first
//   mark <name> <ms>                  start-up steps, from the process's creation (StartupMarks.h)
// False when nothing was written.
bool WriteDiagnosticReport(lua_State* L, const BridgeFacts& facts);
