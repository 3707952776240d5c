// Events raised on worker threads and delivered to a Lua listener on the UI thread: events per
// second from four workers, and the latency from FireEvent to the listener's call.
#include <windows.h>

#include <lua.hpp>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "GuiAdbLogic.h"

namespace {

const int kWorkers = 4;
const int kEachDefault = 25000;

LARGE_INTEGER g_freq;
std::vector<LONGLONG> g_sent, g_received;

LONGLONG Now() {
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart;
}

// mark(index): the listener's receipt time of event index.
int Mark(lua_State* L) {
  int i = (int)lua_tointeger(L, 1);
  if (i >= 0 && i < (int)g_received.size()) g_received[i] = Now();
  return 0;
}

double Micros(LONGLONG ticks) { return ticks * 1e6 / (double)g_freq.QuadPart; }

struct Result {
  int delivered = 0;
  double perSecond = 0, median = 0, p99 = 0;
};

Result Run(CGuiAdbLogic* bridge, lua_State*, int each, bool paced) {
  int total = kWorkers * each;
  g_sent.assign(total, 0);
  g_received.assign(total, 0);
  std::atomic<bool> go(false);
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w) {
    workers.emplace_back([&, w] {
      while (!go) Sleep(0);
      for (int i = 0; i < each; ++i) {
        int index = w * each + i;
        g_sent[index] = Now();
        bridge->FireEvent("Bench", ScriptValue(index), ScriptValue(0));
        if (paced) Sleep(1);
      }
    });
  }
  LONGLONG start = Now();
  go = true;
  Result r;
  MSG msg;
  while (r.delivered < total) {
    if (!GetMessageW(&msg, nullptr, 0, 0)) break;
    DispatchMessageW(&msg);
    if (msg.message == WM_DELIVER_EVENT) ++r.delivered;
  }
  LONGLONG end = Now();
  for (auto& t : workers) t.join();
  std::vector<double> latency;
  for (int i = 0; i < total; ++i)
    if (g_received[i]) latency.push_back(Micros(g_received[i] - g_sent[i]));
  std::sort(latency.begin(), latency.end());
  r.perSecond = r.delivered / (Micros(end - start) / 1e6);
  if (!latency.empty()) {
    r.median = latency[latency.size() / 2];
    r.p99 = latency[latency.size() * 99 / 100];
  }
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  int each = argc > 1 ? atoi(argv[1]) : kEachDefault;
  if (each <= 0) each = kEachDefault;
  QueryPerformanceFrequency(&g_freq);

  lua_State* L = luaL_newstate();
  luaL_openlibs(L);
  lua_register(L, "mark", Mark);
  CGuiAdbLogic* bridge = new CGuiAdbLogic();
  bridge->CallOperation("Init", ScriptValue(), ScriptValue());
  PushGuiAdbLogic(L, bridge);
  lua_setglobal(L, "g_GuiAdbLogic");
  luaL_dostring(L, "count = 0; g_GuiAdbLogic:AttachListener(function(name, a, b) mark(a); count = count + 1 end)");

  // Flood: the workers raise events as fast as they can; this measures throughput (latency
  // here is mostly time spent queued behind earlier events).
  Result flood = Run(bridge, L, each, false);
  // Paced: each worker raises about one event per millisecond, well below saturation, so the
  // latency is that of one hand-over to the UI thread.
  Result paced = Run(bridge, L, std::min(each, 2000), true);

  printf("events from %d worker threads to a Lua listener on the UI thread\n", kWorkers);
  printf("  flood: delivered %d, %.0f events/s, latency median %.1f us, p99 %.1f us\n", flood.delivered,
         flood.perSecond, flood.median, flood.p99);
  printf("  paced: delivered %d, latency median %.1f us, p99 %.1f us\n", paced.delivered, paced.median,
         paced.p99);
  bridge->CallOperation("Uninit", ScriptValue(), ScriptValue());
  delete bridge;
  lua_close(L);
  return 0;
}
