// Message pumping and screen reading for tests of windows on the virtual display.
#pragma once

#include <windows.h>

#include <initializer_list>

// Dispatches the thread's waiting messages; a quit message is dropped.
inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Lets the window system deliver input and show what was painted.
inline void Settle(int rounds = 20) {
  for (int i = 0; i < rounds; ++i) {
    Pump();
    Sleep(25);
  }
}

// The screen's pixel at (x, y), read back from the display.
inline COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return c;
}

// A key pressed and released as the user types it, with modifiers held around it; the
// window system delivers it to the foreground window's thread. SendKey leaves the messages
// to whichever loop runs (a popup menu's); PressKey dispatches them.
inline void SendKey(WORD vk, std::initializer_list<WORD> modifiers = {}) {
  INPUT in[8] = {};
  UINT n = 0;
  auto add = [&](WORD key, DWORD flags) {
    in[n].type = INPUT_KEYBOARD;
    in[n].ki.wVk = key;
    in[n].ki.dwFlags = flags;
    ++n;
  };
  for (WORD m : modifiers) add(m, 0);
  add(vk, 0);
  add(vk, KEYEVENTF_KEYUP);
  for (WORD m : modifiers) add(m, KEYEVENTF_KEYUP);
  SendInput(n, in, sizeof(INPUT));
}

inline void PressKey(WORD vk, std::initializer_list<WORD> modifiers = {}) {
  SendKey(vk, modifiers);
  Settle(4);
}
