// A screen reader's side of the engine's accessibility, as a process of its own: it reaches a
// host window through oleacc and prints what it finds, one line per element or event.
// <hwnd> is a window's handle or its title.
//   acc_client walk <hwnd>           every element: depth|name|role|state|left,top,w,h|value|action
//   acc_client act <hwnd> <name>     accDoDefaultAction on the first element with that name
//   acc_client hit <hwnd> <x> <y>    the name accHitTest finds at a screen point
//   acc_client events <hwnd> <ms>    "ready", then event|name for WinEvents of the window's process
//   acc_client hold <hwnd>           "ready", then, once the window is gone, the answers of held objects
#include <windows.h>
#include <oleacc.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Utf8(BSTR s) {
  if (!s) return "-";
  int n = WideCharToMultiByte(CP_UTF8, 0, s, (int)SysStringLen(s), nullptr, 0, nullptr, nullptr);
  std::string out(n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, s, (int)SysStringLen(s), &out[0], n, nullptr, nullptr);
  SysFreeString(s);
  return out;
}

VARIANT Self() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = CHILDID_SELF;
  return v;
}

std::string NameOf(IAccessible* acc, VARIANT child) {
  BSTR name = nullptr;
  return SUCCEEDED(acc->get_accName(child, &name)) ? Utf8(name) : "?";
}

void Print(IAccessible* acc, VARIANT child, int depth) {
  VARIANT role, state;
  BSTR value = nullptr, action = nullptr;
  long l = 0, t = 0, w = 0, h = 0;
  acc->get_accRole(child, &role);
  acc->get_accState(child, &state);
  if (FAILED(acc->get_accValue(child, &value))) value = nullptr;
  acc->get_accDefaultAction(child, &action);
  acc->accLocation(&l, &t, &w, &h, child);
  std::string name = NameOf(acc, child);
  if (name.size() > 200) name = "<" + std::to_string(name.size()) + " bytes>";
  printf("%d|%s|%ld|0x%lx|%ld,%ld,%ld,%ld|%s|%s\n", depth, name.c_str(), role.lVal, state.lVal, l, t, w, h,
         Utf8(value).c_str(), Utf8(action).c_str());
}

// Calls visit(object, child id, depth) for every element under acc, acc included.
template <typename Visit>
void Walk(IAccessible* acc, int depth, Visit& visit) {
  visit(acc, Self(), depth);
  long count = 0;
  if (FAILED(acc->get_accChildCount(&count)) || count <= 0) return;
  std::vector<VARIANT> kids(count);
  long got = 0;
  if (FAILED(AccessibleChildren(acc, 0, count, kids.data(), &got))) return;
  for (long i = 0; i < got; ++i) {
    if (kids[i].vt == VT_DISPATCH && kids[i].pdispVal) {
      IAccessible* child = nullptr;
      if (SUCCEEDED(kids[i].pdispVal->QueryInterface(IID_IAccessible, (void**)&child))) {
        Walk(child, depth + 1, visit);
        child->Release();
      }
    } else if (kids[i].vt == VT_I4) {
      visit(acc, kids[i], depth + 1);
    }
    VariantClear(&kids[i]);
  }
}

IAccessible* Client(HWND hwnd) {
  IAccessible* acc = nullptr;
  HRESULT hr = AccessibleObjectFromWindow(hwnd, (DWORD)OBJID_CLIENT, IID_IAccessible, (void**)&acc);
  if (FAILED(hr)) printf("no object: 0x%lx\n", hr);
  return SUCCEEDED(hr) ? acc : nullptr;
}

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  IAccessible* acc = nullptr;
  VARIANT v;
  VariantInit(&v);
  std::string name = "?";
  if (SUCCEEDED(AccessibleObjectFromEvent(hwnd, object, child, &acc, &v)) && acc) {
    name = NameOf(acc, v);
    acc->Release();
  }
  VariantClear(&v);
  printf("event|0x%lx|%s\n", event, name.c_str());
  fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  std::string mode = argv[1];
  // A window's handle, or its title (the program under test, started by a script).
  HWND hwnd = isdigit((unsigned char)argv[2][0]) ? (HWND)(UINT_PTR)strtoull(argv[2], nullptr, 0)
                                                 : FindWindowA(nullptr, argv[2]);
  if (mode == "events") {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, OnEvent, pid, 0, WINEVENT_OUTOFCONTEXT);
    printf(hook ? "ready\n" : "no hook\n");
    fflush(stdout);
    DWORD end = GetTickCount() + (DWORD)atoi(argc > 3 ? argv[3] : "3000");
    while ((LONG)(end - GetTickCount()) > 0) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    if (hook) UnhookWinEvent(hook);
    return 0;
  }
  IAccessible* root = Client(hwnd);
  if (!root) return 1;
  if (mode == "walk") {
    auto print = [](IAccessible* a, VARIANT c, int d) { Print(a, c, d); };
    Walk(root, 0, print);
  } else if (mode == "act" && argc > 3) {
    HRESULT hr = E_FAIL;
    bool done = false;
    auto act = [&](IAccessible* a, VARIANT c, int) {
      if (!done && NameOf(a, c) == argv[3]) {
        hr = a->accDoDefaultAction(c);
        done = true;
      }
    };
    Walk(root, 0, act);
    printf("act|0x%lx\n", hr);
  } else if (mode == "hit" && argc > 4) {
    VARIANT hit;
    VariantInit(&hit);
    root->accHitTest(atol(argv[3]), atol(argv[4]), &hit);
    if (hit.vt == VT_DISPATCH) {
      IAccessible* a = nullptr;
      hit.pdispVal->QueryInterface(IID_IAccessible, (void**)&a);
      printf("hit|%s\n", a ? NameOf(a, Self()).c_str() : "?");
      if (a) a->Release();
    } else {
      printf("hit|%s\n", hit.vt == VT_I4 ? NameOf(root, hit).c_str() : "none");
    }
    VariantClear(&hit);
  } else if (mode == "hold") {
    VARIANT first;
    VariantInit(&first);
    first.vt = VT_I4;
    first.lVal = 1;
    IDispatch* dispatch = nullptr;
    IAccessible* child = nullptr;
    if (SUCCEEDED(root->get_accChild(first, &dispatch)) && dispatch) {
      dispatch->QueryInterface(IID_IAccessible, (void**)&child);
      dispatch->Release();
    }
    printf("ready\n");
    fflush(stdout);
    for (int i = 0; i < 400 && IsWindow(hwnd); ++i) Sleep(50);
    BSTR name = nullptr;
    HRESULT a = root->get_accName(Self(), &name);
    SysFreeString(name);
    long count = 0;
    HRESULT b = child ? child->get_accChildCount(&count) : E_POINTER;
    printf("held|0x%lx|0x%lx\n", a, b);
    if (child) child->Release();
  }
  root->Release();
  fflush(stdout);
  CoUninitialize();
  return 0;
}
