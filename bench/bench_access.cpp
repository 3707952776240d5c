// Keyboard and assistive access: walking the accessibility tree of a window with 1,000 buttons
// through oleacc (AccessibleChildren, then name, role, state and location of each child) against
// walking the control tree directly, with the memory the objects take; and the time from a Tab
// key to the end of the repaint that shows the moved focus cue.
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchCommon.h"
#include "Engine.h"
#include "HostWnd.h"
#include "UIBuilder.h"
#include "UIButton.h"
#include "UIControlContainer.h"
#include "ZipBuilder.h"

using namespace ZOV;
using bench::NowMs;

namespace {

const int kButtons = 1000;

std::wstring WriteSkin() {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring path = std::wstring(tmp) + L"bench-access-skin.zip";
  std::string buttons;
  for (int i = 0; i < kButtons; ++i)
    buttons += "<button left=\"" + std::to_string(i % 40 * 15) + "\" top=\"" + std::to_string(i / 40 * 15) +
               "\" width=\"14\" height=\"14\" accname=\"Button " + std::to_string(i) + "\"/>";
  testzip::ZipBuilder zip;
  zip.Deflated("ui/many.xml", "<ui><view id=\"many\" center=\"0\" left=\"0\" top=\"0\" width=\"600\" height=\"400\">"
                              "<container width=\"600\" height=\"400\" bkcolor=\"#202020\">" + buttons +
                              "</container></view></ui>");
  zip.Save(path);
  return path;
}

// One client's walk: every child's name, role, state and location; the names' length.
size_t WalkAccessible(IAccessible* root) {
  long count = 0;
  root->get_accChildCount(&count);
  std::vector<VARIANT> kids(count);
  long got = 0;
  AccessibleChildren(root, 0, count, kids.data(), &got);
  size_t chars = 0;
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  for (long i = 0; i < got; ++i) {
    IAccessible* child = nullptr;
    if (kids[i].vt == VT_DISPATCH && SUCCEEDED(kids[i].pdispVal->QueryInterface(IID_IAccessible, (void**)&child))) {
      BSTR name = nullptr;
      VARIANT role, state;
      long l, t, w, h;
      child->get_accName(self, &name);
      child->get_accRole(self, &role);
      child->get_accState(self, &state);
      child->accLocation(&l, &t, &w, &h, self);
      chars += SysStringLen(name);
      SysFreeString(name);
      child->Release();
    }
    VariantClear(&kids[i]);
  }
  return chars;
}

// The same facts read from the controls themselves.
size_t WalkControls(CUIControlContainer* root) {
  size_t chars = 0;
  for (int i = 0; i < root->GetControlCount(); ++i) {
    auto* b = static_cast<CUIButton*>(root->GetSubControl(i));
    chars += b->GetAccName().size() + (b->IsVisible() ? 0 : 1) + (b->GetRect().left < 0 ? 1 : 0);
  }
  return chars;
}

}  // namespace

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  int rounds = bench::PositiveArg(argc, argv, 1, 11);
  int keys = bench::PositiveArg(argc, argv, 2, 500);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  CEngine& engine = CEngine::Instance();
  engine.Init();
  engine.SkinLoader().SetPackagePath(WriteSkin());
  CHostWnd* w = CUIBuilder::Instance().CreateWindowFromXml("ui/many.xml");
  if (!w || !w->GetHWND()) {
    printf("no window (is there a display?)\n");
    return 1;
  }
  HWND hwnd = w->GetHWND();
  bench::Pump();
  auto* root = w->GetRootControl()->AsContainer();

  std::vector<double> viaOleacc, direct;
  bench::Usage before = bench::Measure();
  for (int r = 0; r < rounds; ++r) {
    double t0 = NowMs();
    IAccessible* client = nullptr;
    AccessibleObjectFromWindow(hwnd, (DWORD)OBJID_CLIENT, IID_IAccessible, (void**)&client);
    size_t a = client ? WalkAccessible(client) : 0;
    if (client) client->Release();
    double t1 = NowMs();
    size_t b = WalkControls(root);
    double t2 = NowMs();
    viaOleacc.push_back((t1 - t0) * 1000.0 / kButtons);
    direct.push_back((t2 - t1) * 1000.0 / kButtons);
    if (a == 0 || b == 0) printf("walk found nothing\n");
  }
  bench::Usage after = bench::Measure();
  printf("accessibility walk of %d buttons, same thread: %.2f us per child (median of %d); control tree: %.3f us\n",
         kButtons, bench::Median(viaOleacc), rounds, bench::Median(direct));
  printf("  heap after %d walks: %+lld bytes (objects are released with the walk)\n", rounds,
         (long long)after.heapBytes - (long long)before.heapBytes);

  // Tab to the end of the repaint that shows the cue on the next button.
  std::vector<double> cue;
  for (int i = 0; i < keys; ++i) {
    double t0 = NowMs();
    SendMessageW(hwnd, WM_KEYDOWN, VK_TAB, 0);
    UpdateWindow(hwnd);
    GdiFlush();
    cue.push_back(NowMs() - t0);
    bench::Pump();
  }
  printf("Tab to focus cue repainted: median %.3f ms, 99th percentile %.3f ms (%d keys)\n", bench::Percentile(cue, 0.5),
         bench::Percentile(cue, 0.99), keys);
  DestroyWindow(hwnd);
  return 0;
}
