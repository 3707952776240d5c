// A port forwarder that succeeds or fails as told and counts its calls.
#pragma once

#include <atomic>

#include "PortForwarder.h"

struct FakeForwarder : IPortForwarder {
  int result = 0;
  std::atomic<int> calls{0};
  int Forward(int, int) override {
    ++calls;
    return result;
  }
};
