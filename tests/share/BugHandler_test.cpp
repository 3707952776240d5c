// The crash handler, in a real process that crashes: dump and report beside the program.
#include <gtest/gtest.h>

#include <vector>

#include "ShareTestUtil.h"

using namespace sharetest;

namespace {

std::vector<std::wstring> FilesMatching(const std::wstring& pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

std::string ReadAll(const std::wstring& path) {
  std::string content;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return content;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) content.append(buffer, got);
  CloseHandle(file);
  return content;
}

}  // namespace

TEST(BugHandler, CrashWritesDumpAndReportBesideTheProgram) {
  // A private copy of the peer, so that its reports land in a folder of this test's own.
  TempFolder folder;
  std::wstring peer = folder.Path() + L"crash_peer.exe";
  ASSERT_TRUE(CopyFileW((ThisProgramFolder() + L"crash_peer.exe").c_str(), peer.c_str(), FALSE));

  ChildProcess child;
  ASSERT_TRUE(child.Start(peer, L""));
  DWORD code = 0;
  ASSERT_TRUE(child.WaitForExit(30000, &code)) << "the crashed program did not end";
  EXPECT_EQ(code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));

  std::vector<std::wstring> dumps = FilesMatching(folder.Path() + L"CrashPeer-crash-*.dmp");
  std::vector<std::wstring> reports = FilesMatching(folder.Path() + L"CrashPeer-crash-*.txt");
  ASSERT_EQ(dumps.size(), 1u);
  ASSERT_EQ(reports.size(), 1u);

  std::string dump = ReadAll(folder.Path() + dumps[0]);
  EXPECT_EQ(dump.compare(0, 4, "MDMP"), 0) << "not a minidump";

  std::string report = ReadAll(folder.Path() + reports[0]);
  EXPECT_NE(report.find("Exception: 0xC0000005"), std::string::npos) << report;
  EXPECT_NE(report.find("crash_peer.exe"), std::string::npos) << report;
  EXPECT_NE(report.find("Access violation writing"), std::string::npos) << report;
  EXPECT_NE(report.find("Time: "), std::string::npos) << report;
}
