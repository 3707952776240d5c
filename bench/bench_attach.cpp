// The time from attaching the device double to the scripts' "ConnectResult" and "Connected",
// through the whole program path: Debian's adb server, kelp.dll's device tracking, the link
// sequence of the script bridge, the relayed control port and the Lua listener on the UI
// thread. Each round plugs the phone in (host:connect), waits for both events, unplugs it
// (host:disconnect) and waits until the bridge has forgotten it. Rounds alternate between a
// phone whose app starts at once and one where it must be installed first, so both cases run
// under the same machine state. Run inside the adb sandbox:
//
//   tests/peers/adb_sandbox.py --wine --timeout 900 -- bench_attach.exe [rounds per case]
#include <winsock2.h>
#include <windows.h>

#include <lua.hpp>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "AdbTestHost.h"
#include "EventLog.h"
#include "GuiAdbLogic.h"
#include "PhoneStandIn.h"

using namespace adbtest;

namespace {

const int kRoundsDefault = 10;
const DWORD kLinkLimitMs = 30000;
const DWORD kRemovalLimitMs = 15000;

LARGE_INTEGER g_freq;

double NowMs() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart * 1000.0 / (double)g_freq.QuadPart;
}

// event_clock(): the listener stamps each event with the same clock as the round's start.
int EventClock(lua_State* L) {
  lua_pushnumber(L, NowMs());
  return 1;
}

// Runs a chunk and returns its one number result, or -1 when it fails or returns nil.
double LuaNumber(lua_State* L, const char* chunk) {
  double value = -1;
  if (luaL_loadstring(L, chunk) == 0 && lua_pcall(L, 0, 1, 0) == 0) {
    if (lua_isnumber(L, -1)) value = lua_tonumber(L, -1);
  } else {
    fprintf(stderr, "bench_attach: %s\n", lua_tostring(L, -1));
  }
  lua_pop(L, 1);
  return value;
}

bool LuaRun(lua_State* L, const char* chunk) {
  if (luaL_loadstring(L, chunk) == 0 && lua_pcall(L, 0, 0, 0) == 0) return true;
  fprintf(stderr, "bench_attach: %s\n", lua_tostring(L, -1));
  lua_pop(L, 1);
  return false;
}

// Passing states (connecting, offline) raise non-zero "ConnectResult"s first; the round's
// result is the first one with status 0.
const char kLinkedResult[] = R"(
  function linked_result()
    for _, e in ipairs(events) do
      if e.name == 'ConnectResult' and e.a == 0 then return e end
    end
  end)";

struct Round {
  double connectReturned = 0;  // host:connect answered
  double insert = -1;          // "DeviceInsert"
  double result = -1;          // "ConnectResult" with status 0
  double connected = -1;       // "Connected"
  double removal = -1;         // host:disconnect to the bridge dropping the device
  bool usb = false;            // ConnectedByUSB 1
  bool installed = false;      // the double saw "pm install"
};

struct Figures {
  std::vector<double> values;
  void Add(double v) {
    if (v >= 0) values.push_back(v);
  }
  double Median() {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
  }
  double Worst() { return values.empty() ? -1 : *std::max_element(values.begin(), values.end()); }
};

// One plug-in and unplug. False when an event or the removal did not come in time.
bool RunRound(CGuiAdbLogic* bridge, lua_State* L, bool appInstalled, Round& r) {
  if (DoubleControl(appInstalled ? "set app_installed 1" : "set app_installed 0") != "ok") {
    fprintf(stderr, "bench_attach: the double's control port does not answer\n");
    return false;
  }
  size_t logBefore = DoubleControl("log").size();
  LuaRun(L, "events = {}");

  // host:connect blocks until the server has the double; the UI thread keeps pumping meanwhile
  // so that no event waits for it.
  std::atomic<int> attached{0};
  double start = NowMs();
  std::thread connect([&] {
    bool ok = AttachDouble();
    r.connectReturned = NowMs() - start;
    attached = ok ? 1 : -1;
  });
  bool linked = WaitFor(
      [&] {
        return attached < 0 || LuaNumber(L, "return linked_result() and count('Connected') > 0 and 1") == 1;
      },
      kLinkLimitMs);
  connect.join();
  if (attached < 0) {
    fprintf(stderr, "bench_attach: host:connect failed\n");
    return false;
  }
  r.insert = LuaNumber(L, "return find('DeviceInsert') and find('DeviceInsert').at");
  r.result = LuaNumber(L, "return linked_result() and linked_result().at");
  r.connected = LuaNumber(L, "return find('Connected') and find('Connected').at");
  if (r.insert >= 0) r.insert -= start;
  if (r.result >= 0) r.result -= start;
  if (r.connected >= 0) r.connected -= start;
  r.usb = LuaNumber(L, "return linked_result() and linked_result().b.ConnectedByUSB") == 1;
  r.installed =
      DoubleControl("log").find("pm install", logBefore > 2 ? logBefore - 2 : 0) != std::string::npos;

  double unplug = NowMs();
  bool removed =
      DetachDouble() &&
      WaitFor([&] { return bridge->DeviceKey().empty() && !bridge->UsbLinked(); }, kRemovalLimitMs);
  if (removed) r.removal = NowMs() - unplug;
  if (!linked)
    fprintf(stderr, "bench_attach: no \"ConnectResult\" 0 and \"Connected\" within %lu ms\n", kLinkLimitMs);
  if (!removed) fprintf(stderr, "bench_attach: the phone was not removed within %lu ms\n", kRemovalLimitMs);
  return linked && removed;
}

// The phone app's package beside the program, for the install path.
void EnsureAppPackage() {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring apk(exe);
  apk = apk.substr(0, apk.rfind(L'\\') + 1) + L"Quillon.apk";
  if (GetFileAttributesW(apk.c_str()) == INVALID_FILE_ATTRIBUTES) WriteWholeFile(apk, PatternBytes(50000, 1));
}

void PrintRow(const char* name, Figures installed, Figures install) {
  printf("  %-22s %9.1f %9.1f   %9.1f %9.1f\n", name, installed.Median(), installed.Worst(), install.Median(),
         install.Worst());
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = argc > 1 ? atoi(argv[1]) : kRoundsDefault;
  if (rounds < 1) rounds = kRoundsDefault;
  if (!InSandbox()) {
    fprintf(stderr, "bench_attach: run through tests/peers/adb_sandbox.py --wine\n");
    return 64;
  }
  QueryPerformanceFrequency(&g_freq);
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  EnsureAppPackage();

  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  lua_register(L, "event_clock", EventClock);
  CGuiAdbLogic* bridge = new CGuiAdbLogic();
  PushGuiAdbLogic(L, bridge);
  lua_setglobal(L, "g_GuiAdbLogic");
  if (!LuaRun(L, kEventLogScript) || !LuaRun(L, kLinkedResult)) return 1;

  int failures = 0;
  Figures insert[2], result[2], connected[2], connectReturned[2], removal[2];
  {
    PhoneStandIn phone;
    bridge->CallOperation("Init", ScriptValue(), ScriptValue());
    for (int i = 0; i < rounds * 2; ++i) {
      int c = i % 2;  // 0: the app starts at once; 1: installed first
      Round r;
      bool ok = RunRound(bridge, L, c == 0, r);
      printf(
          "round %2d %-9s  connect %6.1f  DeviceInsert %6.1f  ConnectResult %6.1f  Connected %6.1f  "
          "removed %6.1f ms%s%s\n",
          i / 2 + 1, c == 0 ? "installed" : "install", r.connectReturned, r.insert, r.result, r.connected,
          r.removal, r.usb ? "" : "  [ConnectedByUSB not 1]",
          r.installed == (c == 1) ? "" : (c == 1 ? "  [no install seen]" : "  [installed unexpectedly]"));
      fflush(stdout);
      if (!ok || !r.usb || r.installed != (c == 1)) {
        ++failures;
        if (!ok) break;  // the phone may still be attached: later rounds would mean nothing
        continue;
      }
      insert[c].Add(r.insert);
      result[c].Add(r.result);
      connected[c].Add(r.connected);
      connectReturned[c].Add(r.connectReturned);
      removal[c].Add(r.removal);
    }
    printf("\nms from host:connect (%d rounds per case; %d failed)\n", rounds, failures);
    printf("  %-22s %9s %9s   %9s %9s\n", "", "installed", "", "install", "");
    printf("  %-22s %9s %9s   %9s %9s\n", "event", "median", "worst", "median", "worst");
    PrintRow("host:connect returns", connectReturned[0], connectReturned[1]);
    PrintRow("DeviceInsert", insert[0], insert[1]);
    PrintRow("ConnectResult (USB 1)", result[0], result[1]);
    PrintRow("Connected", connected[0], connected[1]);
    PrintRow("unplug to removal", removal[0], removal[1]);
    printf("attach_to_connectresult_ms median %.1f worst %.1f\n", result[0].Median(), result[0].Worst());
    printf("attach_to_connected_ms median %.1f worst %.1f\n", connected[0].Median(), connected[0].Worst());
    printf("install_attach_to_connectresult_ms median %.1f worst %.1f\n", result[1].Median(),
           result[1].Worst());
    printf("install_attach_to_connected_ms median %.1f worst %.1f\n", connected[1].Median(),
           connected[1].Worst());
    printf("links confirmed by the phone stand-in: %d\n", phone.handshakes.load());
    bridge->CallOperation("Uninit", ScriptValue(), ScriptValue());
  }
  delete bridge;
  lua_close(L);
  WSACleanup();
  return failures ? 1 : 0;
}
