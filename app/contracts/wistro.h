// wistro.dll: the update library. Calls back from threads of its own.
#pragma once

#include <stdint.h>

#ifdef WISTRO_BUILD
#define WISTRO_API __declspec(dllexport)
#else
#define WISTRO_API __declspec(dllimport)
#endif

class CUpdateCallback {
 public:
  virtual void OnUpdateFound(uint32_t, uint32_t, uint32_t, uint32_t) = 0;
  virtual void OnUpdateProgress(uint32_t, uint32_t, uint32_t) = 0;
  virtual void OnUpdateDone(uint32_t) = 0;
};

extern "C" {
WISTRO_API void Wistro_Init(const char* appKey, CUpdateCallback* callback);
WISTRO_API void Wistro_UpdateNext();
}
