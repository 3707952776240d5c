// State of CAudioCapture. For now the capture produces no data: Start only waits for Stop.
// The real source (WASAPI loopback and the Opus encoder) belongs here, run by Start's thread.
#pragma once

#include "share.h"

#include <ScopedWin.h>

namespace ShareLib {

struct CAudioCapture::Impl {
  ICaptureCallback* callback = nullptr;  // not owned; set by Initialize
  // Manual-reset: a Stop that comes before Start (the program starts Start on a new thread)
  // still ends that Start at once. Initialize clears it for the next run.
  win::AutoHandle stop{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  // Signalled while no Start runs; the destructor waits on it.
  win::AutoHandle idle{CreateEventW(nullptr, TRUE, TRUE, nullptr)};
  volatile LONG capturing = 0;
  volatile LONG starts = 0;  // Start calls in progress

  // Blocks until Stop; the capture loop goes here.
  void Run();
};

}  // namespace ShareLib
