// Starting the program while a copy runs: the second copy ends at once and never starts the
// engine (its skin would show a second message box).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ScopedWin.h"
#include "TextConv.h"

namespace {

const wchar_t kBoxTitle[] = L"QuillonSingleInstanceTest";

std::wstring WinePath(const char* unixPath) {
  std::wstring p = L"Z:" + text::Utf8ToWide(unixPath);
  for (auto& c : p)
    if (c == L'/') c = L'\\';
  return p;
}

// A private copy of the program with a test skin, so the test owns the files it starts.
class ProgramCopy {
 public:
  ProgramCopy() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    m_dir = std::wstring(tmp) + L"quillon-single-" + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(m_dir.c_str(), nullptr);
    std::wstring dist = WinePath(QUILLON_DIST);
    for (const wchar_t* f : {L"Quillon.exe", L"zov.dll", L"lua5.1.dll", L"share.dll", L"kelp.dll", L"wistro.dll"})
      CopyFileW((dist + L"\\" + f).c_str(), (m_dir + L"\\" + f).c_str(), FALSE);
    CopyFileW(WinePath(TEST_SKIN_ZIP).c_str(), (m_dir + L"\\skin.zip").c_str(), FALSE);
  }
  ~ProgramCopy() {
    for (const wchar_t* f : {L"Quillon.exe", L"zov.dll", L"lua5.1.dll", L"share.dll", L"kelp.dll", L"wistro.dll", L"skin.zip"})
      DeleteFileW((m_dir + L"\\" + f).c_str());
    RemoveDirectoryW(m_dir.c_str());
  }
  win::AutoHandle Start() const {
    std::wstring cmd = L"\"" + m_dir + L"\\Quillon.exe\"";
    STARTUPINFOW si = {sizeof(si)};
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, m_dir.c_str(), &si, &pi))
      return win::AutoHandle();
    CloseHandle(pi.hThread);
    return win::AutoHandle(pi.hProcess);
  }

 private:
  std::wstring m_dir;
};

BOOL CALLBACK CountBox(HWND h, LPARAM count) {
  wchar_t title[64] = {};
  GetWindowTextW(h, title, 64);
  if (wcscmp(title, kBoxTitle) == 0 && IsWindowVisible(h)) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

int CountBoxes() {
  int n = 0;
  EnumWindows(CountBox, reinterpret_cast<LPARAM>(&n));
  return n;
}

bool WaitForBoxes(int n, DWORD ms) {
  for (DWORD t = 0; t < ms; t += 50) {
    if (CountBoxes() == n) return true;
    Sleep(50);
  }
  return false;
}

}  // namespace

TEST(SingleInstance, SecondCopyEndsWithoutStartingTheSkin) {
  ProgramCopy copy;
  win::AutoHandle first = copy.Start();
  ASSERT_TRUE(first);
  ASSERT_TRUE(WaitForBoxes(1, 15000)) << "the first copy did not show its skin";

  win::AutoHandle second = copy.Start();
  ASSERT_TRUE(second);
  ASSERT_EQ(WaitForSingleObject(second.get(), 15000), WAIT_OBJECT_0) << "the second copy kept running";
  DWORD code = 1;
  GetExitCodeProcess(second.get(), &code);
  EXPECT_EQ(code, 0u);
  Sleep(500);
  EXPECT_EQ(CountBoxes(), 1) << "the second copy ran the skin";

  // Closing the box ends the skin's main, so LoadSkin returns and the first copy exits with 0.
  HWND box = FindWindowW(nullptr, kBoxTitle);
  ASSERT_NE(box, nullptr);
  PostMessageW(box, WM_CLOSE, 0, 0);
  ASSERT_EQ(WaitForSingleObject(first.get(), 15000), WAIT_OBJECT_0);
  GetExitCodeProcess(first.get(), &code);
  EXPECT_EQ(code, 0u);
}
