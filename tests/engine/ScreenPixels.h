// Window tests on the virtual display: pumping messages and reading back screen pixels.
#pragma once

#include <windows.h>

// Dispatches every message waiting for this thread (a quit message is dropped).
inline void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Lets the window system show what was painted.
inline void Settle() {
  for (int i = 0; i < 20; ++i) {
    Pump();
    Sleep(25);
  }
}

// The screen's pixel at (x, y).
inline COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return c;
}
