// The update library's callback: asks for the next step and touches nothing else of the program.
#pragma once

#include "wistro.h"

class CUpdateCallbackImpl : public CUpdateCallback {
 public:
  void OnUpdateFound(uint32_t, uint32_t, uint32_t, uint32_t) override { Wistro_UpdateNext(); }
  void OnUpdateProgress(uint32_t, uint32_t, uint32_t) override {}
  void OnUpdateDone(uint32_t) override { Wistro_UpdateNext(); }
};
