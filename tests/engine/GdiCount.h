// The number of GDI objects this process holds, for leak tests.
#pragma once

#include <windows.h>

// GetGuiResources where the system implements it. Wine answers 0 there; its handles carry
// the table slot in the low word, and a handle whose upper word is 0 names whatever object is
// in that slot, so the live slots are counted instead.
inline DWORD GdiObjectCount() {
  DWORD n = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
  if (n) return n;
  for (UINT_PTR slot = 1; slot < 0x10000; ++slot)
    if (::GetObjectType((HGDIOBJ)slot)) ++n;
  return n;
}
