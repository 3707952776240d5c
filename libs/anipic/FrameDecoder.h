// Decoding an animated picture into whole frames and their delays (GDI+), and drawing one
// frame over a background colour.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace anipic {

struct Animation {
  int width = 0, height = 0;
  std::vector<std::vector<uint32_t>> frames;  // ARGB, top-down rows, width * height each
  std::vector<UINT> delaysMs;                 // one per frame
};

// Every frame of the file; false (and an empty animation) when it cannot be decoded.
bool DecodeAnimation(const wchar_t* path, Animation& out);

// A delay of the file (hundredths of a second) in milliseconds. Delays under 20 ms are shown
// for 100 ms, as browsers do, so that a file written with 0 cannot spin the UI thread.
UINT FrameDelayMs(UINT hundredths);

// A 32-bit DIB section of the frame with its transparent parts filled by the background.
HBITMAP ComposeFrame(const Animation& a, size_t frame, COLORREF background);

}  // namespace anipic
