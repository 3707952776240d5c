// Start-up marks through the host: see StartupMark.h.
#include "StartupMark.h"

#include <windows.h>

#include <ScopedWin.h>

namespace ZOV {

void StartupMark(const char* name) {
  typedef void (*MarkFn)(const char*);
  // Looked up once: the host does not change.
  static const MarkFn mark = win::ProcAddress<MarkFn>(::GetModuleHandleW(nullptr), "QuillonStartupMark");
  if (mark) mark(name);
}

}  // namespace ZOV
