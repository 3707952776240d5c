// The pure rules behind finding and using an adb server: where adb.exe is looked for (from
// literal environment values), host:version's answer, and the fallback for servers that
// refuse the long device stream.
#include <gtest/gtest.h>

#include "AdbPlaces.h"
#include "TrackPlan.h"

using namespace kelp;

TEST(AdbPlaces, ProgramFolderThenPathThenTheSdkPlaces) {
  AdbPlaces p;
  p.programDir = L"C:\\Quillon";
  p.path = L"C:\\Windows\\system32;\"C:\\Tools\\adb dir\\\";;C:\\quillon\\;D:\\sdk\\platform-tools";
  p.androidHome = L"D:\\sdk";  // the same folder as a PATH entry: tried once
  p.androidSdkRoot = L"E:\\old sdk\\";
  p.localAppData = L"C:\\Users\\Ann\\AppData\\Local";
  p.programFilesX86 = L"C:\\Program Files (x86)";
  std::vector<std::wstring> expected = {
      L"C:\\Quillon\\adb.exe",
      L"C:\\Quillon\\platform-tools\\adb.exe",
      L"C:\\Windows\\system32\\adb.exe",
      L"C:\\Tools\\adb dir\\adb.exe",
      L"D:\\sdk\\platform-tools\\adb.exe",
      L"E:\\old sdk\\platform-tools\\adb.exe",
      L"C:\\Users\\Ann\\AppData\\Local\\Android\\Sdk\\platform-tools\\adb.exe",
      L"C:\\Users\\Ann\\AppData\\Local\\Microsoft\\WinGet\\Links\\adb.exe",
      L"C:\\Program Files (x86)\\Android\\android-sdk\\platform-tools\\adb.exe",
  };
  EXPECT_EQ(AdbCandidates(p), expected);
}

// Guards against running a program that the current folder (or an unexpanded variable)
// happens to name.
TEST(AdbPlaces, RelativeAndUnexpandedFoldersAreNeverTried) {
  AdbPlaces p;
  p.path = L".;tools;%ANDROID_HOME%\\platform-tools;C:relative;\\\\server\\share\\adb; \\\\?\\C:\\x ";
  p.androidHome = L"sdk";
  std::vector<std::wstring> expected = {L"\\\\server\\share\\adb\\adb.exe", L"\\\\?\\C:\\x\\adb.exe"};
  EXPECT_EQ(AdbCandidates(p), expected);
  EXPECT_TRUE(AdbCandidates(AdbPlaces()).empty());
}

TEST(TrackPlan, VersionReply) {
  EXPECT_EQ(ParseServerVersion("0029"), 41);
  EXPECT_EQ(ParseServerVersion("001F"), 31);
  EXPECT_EQ(ParseServerVersion("29"), -1);
  EXPECT_EQ(ParseServerVersion("0x29"), -1);
  EXPECT_EQ(ParseServerVersion(""), -1);
}

TEST(TrackPlan, RefusedLongStreamFallsBackUntilAnotherServerAnswers) {
  CTrackPlan plan;
  plan.OnVersion(41);
  EXPECT_STREQ(plan.Request(), "host:track-devices-l");
  EXPECT_FALSE(plan.PollsLongList());
  plan.OnRefused();
  EXPECT_STREQ(plan.Request(), "host:track-devices");
  EXPECT_TRUE(plan.PollsLongList());
  plan.OnVersion(41);  // the same server after a reconnect: still the short stream
  EXPECT_STREQ(plan.Request(), "host:track-devices");
  plan.OnRefused();  // the short stream refused too: the long one gets another chance
  EXPECT_STREQ(plan.Request(), "host:track-devices-l");
  plan.OnRefused();
  plan.OnVersion(-1);  // a server that does not tell its version is another server
  EXPECT_STREQ(plan.Request(), "host:track-devices-l");
}
