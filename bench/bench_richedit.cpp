// The rich edit: the time to set 100 KB of text and paint it (SetText, then the window's
// repaint), against the repaint alone; and the GDI objects and committed memory left after
// two runs of 100 set/clear cycles, each step followed by a repaint.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "Engine.h"
#include "HostWnd.h"
#include "TextServicesLib.h"
#include "UIBuilder.h"
#include "UIRichEdit.h"

using namespace ZOV;
using bench::Median;
using bench::NowMs;

namespace {

const char kView[] =
    "<ui><view id=\"rich\" center=\"0\" left=\"0\" top=\"0\" width=\"640\" height=\"480\">"
    "<container width=\"640\" height=\"480\" bkcolor=\"#FFFFFF\">"
    "<richedit id=\"re\" left=\"0\" top=\"0\" width=\"640\" height=\"480\" textcolor=\"#000000\"/>"
    "</container></view></ui>";

// About 100 KB of UTF-8: lines of ASCII words with some CJK, 80 columns each.
std::string HundredKilobytes() {
  std::string line =
      "The quick brown fox jumps over the lazy dog \xE4\xB8\xAD\xE6\x96\x87\xE6\xB5\x8B\xE8\xAF\x95 "
      "0123456789\r";
  std::string text;
  while (text.size() < 100 * 1024) text += line;
  return text;
}

void Repaint(HWND hwnd) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  GdiFlush();
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(f, bytes.data(), (DWORD)bytes.size(), &written, nullptr) && written == bytes.size();
  CloseHandle(f);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  int rounds = bench::PositiveArg(argc, argv, 1, 11);
  int cycles = bench::PositiveArg(argc, argv, 2, 100);

  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring dir = std::wstring(tmp) + L"bench-richedit-skin";
  CreateDirectoryW(dir.c_str(), nullptr);
  WriteFileBytes(dir + L"\\rich.xml", kView);
  CEngine& engine = CEngine::Instance();
  engine.Init();
  engine.SkinLoader().SetPackagePath(dir);
  CHostWnd* w = CUIBuilder::Instance().CreateWindowFromXml("rich.xml");
  auto* edit = w ? dynamic_cast<CUIRichEdit*>(w->GetRootControl()->FindControl("re")) : nullptr;
  if (!edit || !edit->GetTextServices()) {
    printf("no rich edit with text services (is there a display?)\n");
    return 1;
  }
  HWND hwnd = w->GetHWND();
  printf("text services from %ls\n", TextServicesLibrary());
  std::string text = HundredKilobytes();

  std::vector<double> setAndPaint, paintOnly;
  for (int i = 0; i < rounds; ++i) {
    edit->SetText("");
    Repaint(hwnd);
    double t0 = NowMs();
    edit->SetText(text.c_str());
    Repaint(hwnd);
    double t1 = NowMs();
    Repaint(hwnd);
    double t2 = NowMs();
    setAndPaint.push_back(t1 - t0);
    paintOnly.push_back(t2 - t1);
  }
  // The text services keep at most the host's maximum length (0x7FFF characters).
  GETTEXTLENGTHEX lengthOf = {GTL_DEFAULT, 1200};
  LRESULT held = 0;
  edit->TxSendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthOf), 0, &held);
  printf("%zu bytes of text, %ld characters held (medians of %d rounds)\n", text.size(), (long)held, rounds);
  printf("  SetText and repaint   %9.2f ms\n", Median(setAndPaint));
  printf("  repaint alone         %9.2f ms\n", Median(paintOnly));

  auto cycle = [&] {
    edit->SetText(text.c_str());
    Repaint(hwnd);
    edit->SetText("");
    Repaint(hwnd);
    bench::Pump();
  };
  cycle();  // warm-up: first allocations of the text services
  printf("growth over set/clear cycles of %zu bytes, each step repainted\n", text.size());
  // Twice: the heap reaches its working size during the first run; the second shows whether
  // each cycle leaves something behind.
  for (const char* label : {"first %d cycles", "next %d cycles"}) {
    bench::Usage before = bench::Measure();
    for (int i = 0; i < cycles; ++i) cycle();
    bench::Usage after = bench::Measure();
    char name[40];
    snprintf(name, sizeof(name), label, cycles);
    bench::PrintGrowth(name, before, after);
  }
  printf("  committed memory now               %ld KiB\n", (long)(bench::Measure().privateBytes / 1024));

  DestroyWindow(hwnd);
  bench::Pump();
  DeleteFileW((dir + L"\\rich.xml").c_str());
  RemoveDirectoryW(dir.c_str());
  return 0;
}
