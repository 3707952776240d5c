// A drop handle handed to the script and back to "HandleDropFiles", as the skin's drop handler
// does, with the handle at a value that does not fit 32 bits.
#include <gtest/gtest.h>
#include <windows.h>

#include <lua.hpp>
#include <string>
#include <vector>

#include "bridge_fixture.h"
#include "../device/DropHandle.h"

namespace {

#ifdef _WIN64
// Allocates a fixed global block above 4 GiB, as 64-bit Windows does for programs with a
// high-entropy address space: every free region below 4 GiB is reserved for the moment, so
// that the heap has to place a large block higher up.
HGLOBAL GlobalAllocAbove4G(SIZE_T size) {
  SYSTEM_INFO si;
  GetSystemInfo(&si);
  const ULONG_PTR grain = si.dwAllocationGranularity, limit = 0x100000000ull;
  std::vector<void*> held;
  MEMORY_BASIC_INFORMATION mbi;
  for (ULONG_PTR at = grain; at < limit && VirtualQuery((void*)at, &mbi, sizeof(mbi));) {
    ULONG_PTR end = (ULONG_PTR)mbi.BaseAddress + mbi.RegionSize;
    ULONG_PTR base = (at + grain - 1) / grain * grain;
    if (mbi.State == MEM_FREE && base < end) {
      if (void* p = VirtualAlloc((void*)base, (end < limit ? end : limit) - base, MEM_RESERVE, PAGE_NOACCESS))
        held.push_back(p);
    }
    at = end;
  }
  HGLOBAL block = GlobalAlloc(GMEM_FIXED, size);
  for (void* p : held) VirtualFree(p, 0, MEM_RELEASE);
  return block;
}
#endif

class DropHandle : public BridgeFixture {};

TEST_F(DropHandle, HandleAbove4GiBSurvivesTheScript) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring path = std::wstring(temp) + L"quillon-drop-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);

  HDROP small = MakeDropHandle({path});
  ASSERT_NE(small, nullptr);
#ifdef _WIN64
  // The same drop record, moved into a block above 4 GiB.
  SIZE_T bytes = GlobalSize(small);
  HGLOBAL high = GlobalAllocAbove4G(bytes < (1 << 20) ? (1 << 20) : bytes);
  ASSERT_NE(high, nullptr);
  memcpy(GlobalLock(high), GlobalLock(small), bytes);
  GlobalUnlock(high);
  GlobalUnlock(small);
  GlobalFree(small);
  HDROP drop = static_cast<HDROP>(high);
  ASSERT_GT((uintptr_t)drop, 0xFFFFFFFFull);
#else
  HDROP drop = small;
#endif
  // The engine hands the handle to the drop handler as a number.
  lua_pushnumber(L, (lua_Number)(uintptr_t)drop);
  lua_setglobal(L, "drop");
  Run(R"(
    added = {}
    g_GuiAdbLogic:AttachListener(function(name, a)
      if name == "AddTask" then added[#added + 1] = a.FileName end
    end)
    g_GuiAdbLogic:Call("HandleDropFiles", drop))");
  Run("return #added == 1 and added[1]", 1);
  std::string name(path.begin() + path.rfind(L'\\') + 1, path.end());
  EXPECT_STREQ(lua_tostring(L, -1), name.c_str());
  lua_pop(L, 1);
  DeleteFileW(path.c_str());
}

}  // namespace
