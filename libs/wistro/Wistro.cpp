// The update library. There is no update server: Init only remembers the callback, and no
// update is ever looked for or reported.
#include "wistro.h"

#include <windows.h>

namespace {

CUpdateCallback* volatile g_callback;  // not owned; kept for the future update check

}  // namespace

void Wistro_Init(const char* /*appKey*/, CUpdateCallback* callback) {
  InterlockedExchangePointer(reinterpret_cast<void* volatile*>(&g_callback), callback);
}

void Wistro_UpdateNext() {}
