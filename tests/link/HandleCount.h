// The process's open handles. GetProcessHandleCount is used where it counts (Windows); Wine's
// always gives 0, so there every slot of the handle table is asked for its flags instead.
#pragma once

#include <windows.h>
#include <stdint.h>

namespace linktest {

inline DWORD ProcessHandleCount() {
  DWORD count = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return count;
  const uintptr_t kSlots = 1 << 16;  // handle values are multiples of 4
  DWORD flags;
  for (uintptr_t value = 4; value < 4 * kSlots; value += 4)
    if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
  return count;
}

}  // namespace linktest
