// kelp.dll against an adb server too old for the long device stream: the sandbox puts
// tests/peers/adb_old_server.py in front of Debian's server, answering host:version with an
// older version and refusing host:track-devices-l. The library must fall back to the short
// stream and still see the phone, its model and its going away.
#include <windows.h>

#include <gtest/gtest.h>
#include <kelp.h>

#include "AdbTestHost.h"
#include "RecordingHandler.h"

using namespace adbtest;

TEST(KelpOldServer, RefusedLongStreamFallsBackAndStillListsThePhone) {
  ASSERT_TRUE(InSandbox());
  RecordingHandler handler;
  CKelpCommand kelp;
  ASSERT_TRUE(kelp.Init(&handler));
  ASSERT_TRUE(AttachDouble());
  ASSERT_TRUE(WaitFor([&] { return handler.Count(KelpNotice::kReady, 0) > 0; }, 20000));
  std::vector<KelpNotice> notices = handler.Notices();
  ASSERT_EQ(notices[0].kind, KelpNotice::kInsert);
  // The model comes from host:devices-l (the short stream has none), unless the phone was
  // still connecting when the list was taken.
  EXPECT_TRUE(notices[0].text == "Quillon_Double_7" || notices[0].text == DoubleSerial()) << notices[0].text;
  std::string output;
  EXPECT_EQ(kelp.shell("getprop ro.product.model", output, 0, 0), 0);
  EXPECT_EQ(output, "Quillon Double 7\n");

  DetachDouble();
  EXPECT_TRUE(WaitFor([&] { return handler.Count(KelpNotice::kRemove) > 0; }, 15000))
      << "the short stream's changes";
  kelp.close();

  std::string logName = Env("QUILLON_OLD_SERVER_LOG");
  std::wstring logPath(logName.begin(), logName.end());
  std::string log;
  ASSERT_TRUE(ReadWholeFile(logPath, log));
  size_t version = log.find("host:version\n");
  size_t refused = log.find("host:track-devices-l\n");
  size_t shortStream = log.find("host:track-devices\n");
  ASSERT_NE(version, std::string::npos) << log;
  EXPECT_LT(version, refused) << "the version is asked first:\n" << log;
  ASSERT_NE(shortStream, std::string::npos) << log;
  EXPECT_LT(refused, shortStream) << log;
  EXPECT_EQ(log.find("host:track-devices-l\n", refused + 1), std::string::npos) << "refused once is enough:\n"
                                                                                << log;
  EXPECT_NE(log.find("host:devices-l\n", shortStream), std::string::npos) << log;
}
