// The engine's windows: a full repaint of an 800 x 600 window holding 500 controls (containers,
// statics with text and with images) against a
// bare BitBlt of the same area; CreateWindow of that document from a zip skin against the bare
// unzip and parse of the same entry; GDI objects and memory after many repaints and window
// create/destroy cycles.
#include <windows.h>

#include <rapidxml/rapidxml.hpp>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "Engine.h"
#include "PngWriter.h"
#include "HostWnd.h"
#include "ScopedWin.h"
#include "UIBuilder.h"
#include "ZipArchive.h"
#include "ZipBuilder.h"

using namespace ZOV;
using bench::Measure;
using bench::Median;
using bench::NowMs;
using bench::Pump;
using bench::Usage;

namespace {

// 50 panels of 1 + 9 controls, 500 in all: nested containers with fills and borders, statics
// with text, and statics with an image (alpha PNG, nine-grid frame).
std::string BigDocument() {
  std::string doc = "<ui><resource><fontlist><font id=\"f\" family=\"Tahoma\" size=\"12\"/></fontlist>"
                    "</resource><view id=\"big\" center=\"0\" left=\"0\" top=\"0\" width=\"800\" height=\"600\">"
                    "<container width=\"800\" height=\"600\" bkcolor=\"#203040\">";
  for (int p = 0; p < 50; ++p) {
    int x = (p % 10) * 80, y = (p / 10) * 120;
    doc += "<container left=\"" + std::to_string(x) + "\" top=\"" + std::to_string(y) +
           "\" width=\"78\" height=\"118\" bkcolor=\"#405060\" bordersize=\"1\" bordercolor=\"#FFFFFF\">";
    for (int c = 0; c < 9; ++c) {
      std::string pos = "left=\"" + std::to_string(4 + (c % 3) * 24) + "\" top=\"" + std::to_string(4 + (c / 3) * 38) +
                        "\" width=\"22\" height=\"36\"";
      if (c % 3 == 0)
        doc += "<static " + pos + " text=\"T" + std::to_string(c) + "\" font=\"f\" textcolor=\"#FFFFFF\" alignX=\"1\"/>";
      else if (c % 3 == 1)
        doc += "<static " + pos + " bkimage=\"img/frame.png\" corner=\"4,4,4,4\"/>";
      else
        doc += "<container " + pos + " bkcolor=\"rgb(" + std::to_string(60 + c * 20) + ",120,200)\" bordersize=\"2\"/>";
    }
    doc += "</container>";
  }
  return doc + "</container></view></ui>";
}

// A 16 x 16 frame with straight alpha: an opaque orange edge around a translucent middle.
std::string FramePng() {
  std::vector<uint32_t> px(16 * 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) px[y * 16 + x] = (x < 4 || y < 4 || x >= 12 || y >= 12) ? 0xFFFF9020u : 0x80204060u;
  return MakePngRgba(16, 16, px);
}

}  // namespace

int main(int argc, char** argv) {
  int rounds = bench::PositiveArg(argc, argv, 1, 100);
  int cycles = bench::PositiveArg(argc, argv, 2, 100);

  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring zipPath = std::wstring(tmp) + L"bench-paint-skin.zip";
  std::string doc = BigDocument();
  testzip::ZipBuilder zip;
  zip.Deflated("ui/big.xml", doc);
  zip.Stored("img/frame.png", FramePng());
  zip.Save(zipPath);

  CEngine& engine = CEngine::Instance();
  engine.Init();
  engine.SkinLoader().SetPackagePath(zipPath);
  CUIBuilder& builder = CUIBuilder::Instance();

  // CreateWindow against unzip + parse, interleaved so both see the same machine state.
  std::vector<double> create, bare;
  for (int i = 0; i < rounds / 5 + 1; ++i) {
    double t0 = NowMs();
    CHostWnd* w = builder.CreateWindowFromXml("ui/big.xml");
    double t1 = NowMs();
    if (w) DestroyWindow(w->GetHWND());
    Pump();
    double t2 = NowMs();
    ZipArchive a;
    a.Open(zipPath);
    ZipEntry e;
    a.GetEntry(0, e);
    std::vector<char> text(e.uncompressedSize + 1, 0);
    a.Extract(0, text.data(), e.uncompressedSize);
    rapidxml::xml_document<char> parsed;
    parsed.parse<0>(text.data());
    double t3 = NowMs();
    create.push_back(t1 - t0);
    bare.push_back(t3 - t2);
  }
  printf("CreateWindow of 500 controls from a zip skin\n");
  printf("  CreateWindow      %.2f ms (median)\n", Median(create));
  printf("  unzip + parse     %.2f ms (median)\n", Median(bare));
  printf("  ratio             %.1fx\n", Median(create) / Median(bare));

  // Full repaint against a bare BitBlt of the same 800 x 600 area, interleaved.
  CHostWnd* w = builder.CreateWindowFromXml("ui/big.xml");
  if (!w || !w->GetHWND()) {
    printf("no window (is there a display?)\n");
    return 1;
  }
  HWND hwnd = w->GetHWND();
  Pump();
  win::ScopedGetDC wdc(hwnd);
  win::AutoDeleteDC mem(CreateCompatibleDC(wdc));
  win::AutoGdiObj bmp(CreateCompatibleBitmap(wdc, 800, 600));
  win::ScopedSelectObject sel(mem.get(), bmp.get());
  std::vector<double> paint, blit;
  for (int i = 0; i < rounds; ++i) {
    double t0 = NowMs();
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
    GdiFlush();
    double t1 = NowMs();
    BitBlt(wdc, 0, 0, 800, 600, mem.get(), 0, 0, SRCCOPY);
    GdiFlush();
    double t2 = NowMs();
    paint.push_back(t1 - t0);
    blit.push_back(t2 - t1);
  }
  printf("full repaint of an 800 x 600 window with 500 controls\n");
  printf("  repaint           %.2f ms (median)\n", Median(paint));
  printf("  bare BitBlt       %.2f ms (median)\n", Median(blit));
  printf("  ratio             %.1fx\n", Median(paint) / Median(blit));

  // Growth: 1000 repaints, then 100 create/destroy cycles.
  Usage before = Measure();
  for (int i = 0; i < 1000; ++i) {
    InvalidateRect(hwnd, nullptr, FALSE);
    UpdateWindow(hwnd);
  }
  Usage afterPaint = Measure();
  for (int i = 0; i < cycles; ++i) {
    CHostWnd* c = builder.CreateWindowFromXml("ui/big.xml");
    if (c) DestroyWindow(c->GetHWND());
    Pump();
  }
  Usage afterCycles = Measure();
  // The same cycles with a bare system window, for the platform's own share.
  for (int i = 0; i < 100; ++i) {
    HWND bareWnd = CreateWindowExW(WS_EX_APPWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 800, 600, nullptr,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
    DestroyWindow(bareWnd);
    Pump();
  }
  Usage afterBare = Measure();
  printf("growth\n");
  bench::PrintGrowth("after 1000 repaints:", before, afterPaint);
  std::string cyclesLabel = "after " + std::to_string(cycles) + " create/destroy:";
  bench::PrintGrowth(cyclesLabel.c_str(), afterPaint, afterCycles);
  bench::PrintGrowth("after 100 bare windows (platform):", afterCycles, afterBare);
  DestroyWindow(hwnd);
  DeleteFileW(zipPath.c_str());
  return 0;
}
