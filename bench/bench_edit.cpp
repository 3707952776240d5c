// The edit's typing latency: from a WM_CHAR to the end of the repaint that shows the typed
// character, with the caret at the end of a 10-character and of a 10,000-character text.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "Engine.h"
#include "HostWnd.h"
#include "UIBuilder.h"
#include "UIEdit.h"
#include "ZipBuilder.h"

using namespace ZOV;
using bench::NowMs;

namespace {

std::wstring WriteSkin() {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring path = std::wstring(tmp) + L"bench-edit-skin.zip";
  testzip::ZipBuilder zip;
  zip.Deflated("ui/edit.xml", R"(<ui><view id="edit" center="0" left="100" top="100" width="400" height="60">
      <container width="400" height="60" bkcolor="#FFFFFF">
        <edit id="e" left="10" top="10" width="380" height="24"/>
      </container></view></ui>)");
  zip.Save(path);
  return path;
}

// Types one character and takes it back, rounds times; only the typing and its repaint are timed.
void TypingLatency(HWND hwnd, CUIEdit* edit, int length, int rounds) {
  std::string text;
  for (int i = 0; i < length; ++i) text += (char)('a' + i % 26);
  edit->SetText(text.c_str());
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  std::vector<double> times;
  for (int i = 0; i < rounds; ++i) {
    double t0 = NowMs();
    SendMessageW(hwnd, WM_CHAR, L'x', 1);
    UpdateWindow(hwnd);  // the WM_PAINT the typing caused, now
    GdiFlush();
    times.push_back(NowMs() - t0);
    SendMessageW(hwnd, WM_CHAR, 8, 1);
    UpdateWindow(hwnd);
    bench::Pump();
  }
  printf("  %6d characters: median %7.3f ms, p99 %7.3f ms (%d keystrokes, text %d after)\n", length,
         bench::Median(times), bench::Percentile(times, 0.99), rounds, edit->Buffer().GetLength());
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  int rounds = argc > 1 ? atoi(argv[1]) : 500;
  if (rounds <= 0) rounds = 500;
  std::wstring skin = WriteSkin();
  CEngine& engine = CEngine::Instance();
  engine.Init();
  engine.SkinLoader().SetPackagePath(skin);
  CHostWnd* w = CUIBuilder::Instance().CreateWindowFromXml("ui/edit.xml");
  if (!w || !w->GetHWND()) {
    printf("no window (is there a display?)\n");
    return 1;
  }
  auto* edit = dynamic_cast<CUIEdit*>(w->GetRootControl()->FindControl("e"));
  if (!edit) return 1;
  edit->SetFocus(true);
  printf("Typing latency, WM_CHAR to the end of its repaint (caret at the end of the text):\n");
  TypingLatency(w->GetHWND(), edit, 10, rounds);
  TypingLatency(w->GetHWND(), edit, 10000, rounds);
  DestroyWindow(w->GetHWND());
  engine.SkinLoader().CloseSkin();
  DeleteFileW(skin.c_str());
  return 0;
}
