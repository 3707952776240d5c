// The engine's controls: the paint cost of buttons, check boxes, list rows, scroll bars and tab
// controls against a bare FillRect of the same rects; the time of one wheel step in lists of
// 100, 1,000 and 10,000 rows; GDI objects and committed memory after hover repaints, tooltips
// and popup menus.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "Engine.h"
#include "HostWnd.h"
#include "MenuWnd.h"
#include "PngWriter.h"
#include "ScopedWin.h"
#include "UIBuilder.h"
#include "UIList.h"
#include "ZipBuilder.h"

using namespace ZOV;
using bench::Median;
using bench::NowMs;

namespace {

const int kWidth = 600, kHeight = 400;
const int kRowHeight = 20;
const int kListRows = 10;  // rows a 200-pixel list shows

// A strip of n 16 x 16 frames, each a shade of its own with an opaque edge.
std::string StripPng(int frames) {
  int w = 16 * frames;
  std::vector<uint32_t> px(w * 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < w; ++x) {
      bool edge = x % 16 < 2 || x % 16 >= 14 || y < 2 || y >= 14;
      px[y * w + x] = edge ? 0xFF303030u : 0xFF000000u | (0x40u + 0x30u * (x / 16)) << 8;
    }
  return MakePngRgba(w, 16, px);
}

// The scroll bar's 4 by 4 frame image of 8-pixel cells (arrows, track, thumb by state).
std::string ScrollBarPng() {
  std::vector<uint32_t> px(32 * 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) px[y * 32 + x] = 0xFF000000u | (0x40u + 0x20u * (y / 8)) << 16 | 0x30u * (x / 8);
  return MakePngRgba(32, 32, px);
}

std::string Rows(int count) {
  std::string rows;
  for (int i = 0; i < count; ++i)
    rows += "<static text=\"Row " + std::to_string(i) + "\" font=\"f\" textcolor=\"#FFFFFF\" alignY=\"1\"/>";
  return rows;
}

std::string ListElement(const char* id, int left, int top, int rows) {
  return "<list id=\"" + std::string(id) + "\" left=\"" + std::to_string(left) + "\" top=\"" + std::to_string(top) +
         "\" width=\"200\" height=\"" + std::to_string(kListRows * kRowHeight) + "\" itemheight=\"" +
         std::to_string(kRowHeight) + "\" itemhoverbkcolor=\"#00A000\" itemselectedbkcolor=\"#0000A0\">" + Rows(rows) +
         "</list>";
}

const char kFonts[] = "<resource><fontlist><font id=\"f\" family=\"Tahoma\" size=\"12\"/></fontlist></resource>";

std::string View(const char* id, const std::string& body) {
  return "<ui>" + std::string(kFonts) + "<view id=\"" + id + "\" center=\"0\" left=\"0\" top=\"0\" width=\"" +
         std::to_string(kWidth) + "\" height=\"" + std::to_string(kHeight) + "\"><container width=\"" +
         std::to_string(kWidth) + "\" height=\"" + std::to_string(kHeight) + "\" bkcolor=\"#202020\">" + body +
         "</container></view></ui>";
}

// One of each kind: a button with a strip image, a check box, a list of 50 rows (10 shown,
// with its scroll bar), a tab control of two pages; and 20 buttons with tooltips in a row.
std::string ControlsDocument() {
  std::string body =
      "<button id=\"button\" left=\"10\" top=\"10\" width=\"100\" height=\"30\" combineimage=\"img/strip4.png\" "
      "corner=\"3,3,3,3\" text=\"Send\" font=\"f\" textcolor=\"#FFFFFF\" alignX=\"1\" alignY=\"1\"/>"
      "<checkbox id=\"check\" left=\"10\" top=\"50\" width=\"100\" height=\"20\" combineimage=\"img/strip8.png\" "
      "text=\"Sync\" font=\"f\" textcolor=\"#FFFFFF\" alignY=\"1\"/>" +
      ListElement("list", 150, 10, 50) +
      "<tabctrl id=\"tab\" left=\"380\" top=\"10\" width=\"200\" height=\"200\" select=\"0\">"
      "<container width=\"200\" height=\"200\" bkcolor=\"#304050\"><static left=\"10\" top=\"10\" width=\"180\" "
      "height=\"20\" text=\"Page one\" font=\"f\" textcolor=\"#FFFFFF\"/></container>"
      "<container width=\"200\" height=\"200\" bkcolor=\"#503040\"/></tabctrl>";
  for (int i = 0; i < 20; ++i)
    body += "<button id=\"tip" + std::to_string(i) + "\" left=\"" + std::to_string(10 + i * 29) +
            "\" top=\"300\" width=\"25\" height=\"25\" combineimage=\"img/strip4.png\" tooltip=\"Button " +
            std::to_string(i) + "\"/>";
  return View("controls", body);
}

std::string MenuDocument() {
  return "<ui><menu id=\"menu\" center=\"0\" width=\"120\" height=\"90\" itemheight=\"30\">"
         "<menuitem text=\"One\"/><menuitem text=\"Two\"/><menuitem text=\"Three\"/></menu></ui>";
}

CUIControl* Find(CHostWnd* w, const char* id) { return w->GetRootControl()->FindControl(id); }

void Repaint(HWND hwnd) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  GdiFlush();
}

// A memory DC of the window's size for painting controls in.
struct Canvas {
  explicit Canvas(HWND hwnd) : wdc(hwnd), mem(CreateCompatibleDC(wdc)), bmp(CreateCompatibleBitmap(wdc, kWidth, kHeight)),
                               sel(mem.get(), bmp.get()) {}
  win::ScopedGetDC wdc;
  win::AutoDeleteDC mem;
  win::AutoGdiObj bmp;
  win::ScopedSelectObject sel;
};

// Paint cost: 1,000 instances of one control kind drawn by the engine (paint(i) draws
// rects.size() of them per call) against 1,000 FillRects of the same rects, in the same
// memory DC and taking turns round by round, so both see the same machine state.
void ComparePaint(const char* kind, HDC dc, const std::vector<RECT>& rects, const std::function<void()>& paint,
                  int rounds) {
  const int calls = 1000 / (int)rects.size();
  win::AutoGdiObj brush(CreateSolidBrush(RGB(0x30, 0x60, 0x90)));
  std::vector<double> engine, bare;
  for (int r = 0; r < rounds; ++r) {
    double t0 = NowMs();
    for (int i = 0; i < calls; ++i) paint();
    GdiFlush();
    double t1 = NowMs();
    for (int i = 0; i < calls; ++i)
      for (const RECT& rc : rects) FillRect(dc, &rc, static_cast<HBRUSH>(brush.get()));
    GdiFlush();
    double t2 = NowMs();
    engine.push_back(t1 - t0);
    bare.push_back(t2 - t1);
  }
  printf("  %-22s %8.2f ms %10.3f ms %8.1fx\n", kind, Median(engine), Median(bare), Median(engine) / Median(bare));
}

void PaintCosts(CHostWnd* w, int rounds) {
  Canvas canvas(w->GetHWND());
  HDC dc = canvas.mem.get();
  printf("paint of 1,000 controls into a memory DC (medians of %d rounds)\n", rounds);
  printf("  %-22s %11s %13s %9s\n", "kind", "engine", "FillRect", "ratio");
  auto one = [&](const char* kind, CUIControl* c) {
    ComparePaint(kind, dc, {c->GetRect()}, [&] { c->Paint(dc); }, rounds);
  };
  one("button (strip image)", Find(w, "button"));
  one("check box", Find(w, "check"));
  // A list's paint draws its shown rows (one hovered, one selected) and its scroll bar:
  // 100 paints of 10 rows, against FillRects of the 10 row rects.
  auto* list = static_cast<CUIList*>(Find(w, "list"));
  std::vector<RECT> rows;
  for (int i = 0; i < kListRows; ++i) {
    RECT r = list->GetRect();
    r.top += i * kRowHeight;
    r.bottom = r.top + kRowHeight;
    rows.push_back(r);
  }
  ComparePaint("list row", dc, rows, [&] { list->Paint(dc); }, rounds);
  CUIScrollBar* bar = list->GetScrollBar();
  if (bar) ComparePaint("scroll bar", dc, {bar->GetRect()}, [&] { bar->Paint(dc); }, rounds);
  one("tab control", Find(w, "tab"));
}

// Scrolling: one wheel step (the message and the repaint it causes) in lists of 100, 1,000
// and 10,000 rows that all show 10; only the shown rows should cost, so the medians should
// not grow with the row count. Building the window is timed too: it should grow in step with
// the rows, not with their square.
double WheelStepMedian(CUIBuilder& builder, const char* doc, int steps, double* buildMs) {
  double b0 = NowMs();
  CHostWnd* w = builder.CreateWindowFromXml(doc);
  *buildMs = NowMs() - b0;
  if (!w || !w->GetHWND()) return -1;
  HWND hwnd = w->GetHWND();
  auto* list = static_cast<CUIList*>(Find(w, "list"));
  CUIScrollBar* bar = list->GetScrollBar();
  POINT at = {100, 100};
  ClientToScreen(hwnd, &at);
  Repaint(hwnd);
  bench::Pump();
  std::vector<double> times;
  // One notch towards the user (down): the bar moves by its wheel factor times the thumb over
  // the delta, and by at least a pixel when the thumb is too short for that (long lists).
  int delta = -120;
  int still = 0;  // steps in a row that moved nothing
  for (int i = 0; i < steps && still < 3;) {
    int before = bar ? bar->GetContentOffset() : 0;
    double t0 = NowMs();
    SendMessageW(hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)delta), MAKELPARAM(at.x, at.y));
    UpdateWindow(hwnd);
    GdiFlush();
    double t1 = NowMs();
    if (!bar || bar->GetContentOffset() == before) {  // at an end: turn round
      delta = -delta;
      ++still;
      continue;
    }
    still = 0;
    times.push_back(t1 - t0);
    ++i;
  }
  DestroyWindow(hwnd);
  bench::Pump();
  return times.empty() ? -1 : Median(times);  // -1: the wheel did not move the list
}

void WheelCosts(CUIBuilder& builder, int steps) {
  printf("one wheel step and its repaint, lists showing %d rows (medians of %d steps)\n", kListRows, steps);
  const char* docs[] = {"ui/rows100.xml", "ui/rows1000.xml", "ui/rows10000.xml"};
  const int counts[] = {100, 1000, 10000};
  for (int i = 0; i < 3; ++i) {
    double buildMs = 0;
    double ms = WheelStepMedian(builder, docs[i], steps, &buildMs);
    if (ms < 0)
      printf("  %6d rows   the wheel does not move the list", counts[i]);
    else
      printf("  %6d rows   %8.3f ms", counts[i], ms);
    printf("   (window built in %.1f ms, %.1f us a row)\n", buildMs, buildMs * 1000 / counts[i]);
  }
}

// Growth: the window's own messages move the mouse over list rows (hover fills) and over
// buttons (hover frames, tooltips shown and hidden), each move followed by a repaint; then
// popup menus are opened and closed, a timer ending each menu's loop. After a warm-up round
// (the first tooltip loads the common controls), each phase should leave nothing behind.
CMenuWnd* g_menu = nullptr;
void CALLBACK EndMenuLater(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (g_menu) g_menu->EndMenu(1);
}

void Move(HWND hwnd, int x, int y) { SendMessageW(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }

void HoverRows(HWND hwnd, int moves) {
  for (int i = 0; i < moves; ++i) {
    Move(hwnd, 200, 10 + (i % kListRows) * kRowHeight + 5);
    Repaint(hwnd);
  }
  bench::Pump();
}

void HoverButtons(HWND hwnd, int moves) {
  for (int i = 0; i < moves; ++i) {
    Move(hwnd, 10 + (i % 20) * 29 + 12, 312);  // a tooltip button: its tooltip replaces the last
    Repaint(hwnd);
    if (i % 2) Move(hwnd, 300, 250);  // off every control: the tooltip closes
  }
  bench::Pump();
}

void OpenMenus(CUIBuilder& builder, int count) {
  for (int i = 0; i < count; ++i) {
    g_menu = builder.CreateMenuFromXml("ui/menu.xml");
    if (!g_menu) break;
    SetTimer(nullptr, 0, 10, EndMenuLater);
    g_menu->TrackPopupMenu(100, 100);
    g_menu = nullptr;
    bench::Pump();
  }
}

void Growth(CUIBuilder& builder, CHostWnd* w, int menus) {
  HWND hwnd = w->GetHWND();
  HoverRows(hwnd, 20);
  HoverButtons(hwnd, 20);
  OpenMenus(builder, 2);
  bench::Usage start = bench::Measure();
  HoverRows(hwnd, 1000);
  bench::Usage rows = bench::Measure();
  HoverButtons(hwnd, 1000);
  bench::Usage buttons = bench::Measure();
  OpenMenus(builder, menus);
  bench::Usage menusDone = bench::Measure();
  printf("growth\n");
  bench::PrintGrowth("after 1000 repaints, row hover:", start, rows);
  bench::PrintGrowth("after 1000 repaints, tooltips:", rows, buttons);
  std::string label = "after " + std::to_string(menus) + " popup menus:";
  bench::PrintGrowth(label.c_str(), buttons, menusDone);
}

std::wstring WriteSkin() {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring path = std::wstring(tmp) + L"bench-controls-skin.zip";
  testzip::ZipBuilder zip;
  zip.Deflated("ui/controls.xml", ControlsDocument());
  zip.Deflated("ui/menu.xml", MenuDocument());
  for (int rows : {100, 1000, 10000})
    zip.Deflated("ui/rows" + std::to_string(rows) + ".xml", View("rows", ListElement("list", 0, 0, rows)));
  zip.Stored("img/strip4.png", StripPng(4));
  zip.Stored("img/strip8.png", StripPng(8));
  zip.Stored("scrollbar.png", ScrollBarPng());
  zip.Save(path);
  return path;
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);  // figures show as they come
  int rounds = argc > 1 ? atoi(argv[1]) : 21;
  if (rounds <= 0) rounds = 21;
  int steps = argc > 2 ? atoi(argv[2]) : 50;
  if (steps <= 0) steps = 50;
  int menus = argc > 3 ? atoi(argv[3]) : 100;
  if (menus <= 0) menus = 100;

  std::wstring zipPath = WriteSkin();
  CEngine& engine = CEngine::Instance();
  engine.Init();
  engine.SkinLoader().SetPackagePath(zipPath);
  CUIBuilder& builder = CUIBuilder::Instance();
  CHostWnd* w = builder.CreateWindowFromXml("ui/controls.xml");
  if (!w || !w->GetHWND()) {
    printf("no window (is there a display?)\n");
    return 1;
  }
  HWND hwnd = w->GetHWND();
  Repaint(hwnd);
  bench::Pump();
  // One row hovered and one selected, as a list in use shows them.
  Move(hwnd, 200, 35);
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(200, 75));
  SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(200, 75));

  PaintCosts(w, rounds);
  WheelCosts(builder, steps);
  Growth(builder, w, menus);

  DestroyWindow(hwnd);
  bench::Pump();
  DeleteFileW(zipPath.c_str());
  return 0;
}
