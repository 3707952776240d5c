// Message pumping and screen reading for tests of windows on the virtual display.
#pragma once

#include <windows.h>

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
