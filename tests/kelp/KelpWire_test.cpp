// The pure protocol rules of kelp: framing, device lists (literal server output), device
// answers, sync headers, progress scaling, and the diff of device lists.
#include <gtest/gtest.h>

#include <limits.h>

#include "AdbWire.h"
#include "DeviceDiff.h"

using namespace kelp;

TEST(AdbWire, RequestFraming) {
  EXPECT_EQ(EncodeRequest("host:version"), "000chost:version");
  EXPECT_EQ(EncodeRequest(""), "");  // the server rejects length 0
  EXPECT_EQ(EncodeRequest(std::string(0x10000, 'x')), "");
  EXPECT_EQ(EncodeRequest(std::string(0xFFFF, 'x')).substr(0, 4), "ffff");
  uint32_t v = 0;
  EXPECT_TRUE(ParseHex4("00Ff", 4, v));
  EXPECT_EQ(v, 255u);
  EXPECT_FALSE(ParseHex4("0x10", 4, v));
  EXPECT_FALSE(ParseHex4("001", 3, v));
  EXPECT_FALSE(ParseHex4(nullptr, 4, v));
}

TEST(AdbWire, ShortDeviceListSplitsAtTheFirstTab) {
  auto list = ParseDeviceList(
      "emulator-5554\tdevice\n"
      "127.0.0.1:5601\tunauthorized\r\n"
      "0123456789ABCDEF\tno permissions (user in plugdev group); see [http://x]\n"
      "\n");
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].serial, "emulator-5554");
  EXPECT_EQ(list[0].state, "device");
  EXPECT_EQ(list[1].serial, "127.0.0.1:5601");
  EXPECT_EQ(list[1].state, "unauthorized");
  EXPECT_EQ(list[2].state, "no permissions (user in plugdev group); see [http://x]");
  EXPECT_TRUE(ParseDeviceList("").empty());
}

TEST(AdbWire, LongDeviceListReadsStateAndModel) {
  auto list = ParseDeviceList(
      // serial padded to 22 columns, state, devpath, fields, transport id
      "127.0.0.1:5601         device product:quillon_double model:Quillon_Double_7 device:double transport_id:1\n"
      "0123456789ABCDEF       no permissions (udev); see [http://x] usb:1-1 transport_id:2\n"
      "a-very-long-serial-number-here offline transport_id:3\n");
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].serial, "127.0.0.1:5601");
  EXPECT_EQ(list[0].state, "device");
  EXPECT_EQ(list[0].model, "Quillon_Double_7");
  EXPECT_EQ(list[1].state, "no permissions (udev); see [http://x]");
  EXPECT_EQ(list[1].model, "");
  EXPECT_EQ(list[2].serial, "a-very-long-serial-number-here");
  EXPECT_EQ(list[2].state, "offline");
}

TEST(AdbWire, StatusCodes) {
  EXPECT_EQ(DeviceStatusFromState("device"), 0);
  EXPECT_EQ(DeviceStatusFromState("unauthorized"), 1);
  EXPECT_EQ(DeviceStatusFromState("offline"), 2);
  EXPECT_EQ(DeviceStatusFromState("connecting"), 3);
  EXPECT_EQ(DeviceStatusFromState("authorizing"), 3);
  EXPECT_EQ(DeviceStatusFromState("no permissions (x); see [y]"), 4);
  EXPECT_EQ(DeviceStatusFromState("recovery"), 5);
  EXPECT_EQ(DeviceStatusFromState(""), 5);
}

TEST(AdbWire, LineEnds) {
  EXPECT_EQ(NormalizeLineEnds("a\r\nb\r\r\nc\rd\n"), "a\nb\nc\rd\n");
  EXPECT_EQ(NormalizeLineEnds("\r"), "\r");
  EXPECT_EQ(NormalizeLineEnds(""), "");
}

TEST(AdbWire, InstallAnswers) {
  EXPECT_TRUE(IsInstallSuccess("Success\n"));
  EXPECT_TRUE(IsInstallSuccess("\tpkg: /data/local/tmp/a.apk\nSuccess\n"));  // older pm
  EXPECT_FALSE(IsInstallSuccess("Failure [INSTALL_FAILED_VERSION_DOWNGRADE]\n"));
  EXPECT_FALSE(IsInstallSuccess("Error: Unable to open file: x\n"));
  EXPECT_FALSE(IsInstallSuccess(" Success"));
  EXPECT_FALSE(IsInstallSuccess(""));
}

TEST(AdbWire, ActivityStartAnswers) {
  EXPECT_TRUE(IsActivityStarted("Starting: Intent { cmp=a/.B }\n"));
  EXPECT_TRUE(IsActivityStarted(
      "Starting: Intent { cmp=a/.B }\nWarning: Activity not started, its current task has been brought to the front\n"));
  EXPECT_FALSE(IsActivityStarted("Error type 3\nError: Activity class {a/a.B} does not exist.\n"));
  EXPECT_FALSE(IsActivityStarted("Starting: Intent { cmp=a/.B }\nError: Activity not started, unable to resolve Intent\n"));
  EXPECT_FALSE(IsActivityStarted("Exception occurred while executing:\n"));
  EXPECT_FALSE(IsActivityStarted(""));
  EXPECT_FALSE(IsActivityStarted("\n"));
}

TEST(AdbWire, QuotingAndNames) {
  EXPECT_EQ(ShellQuote("a b"), "'a b'");
  EXPECT_EQ(ShellQuote("it's"), "'it'\\''s'");
  EXPECT_EQ(BaseName("C:\\dir\\Quillon.apk"), "Quillon.apk");
  EXPECT_EQ(BaseName("/a/b"), "b");
  EXPECT_EQ(BaseName("plain"), "plain");
}

TEST(AdbWire, SyncHeaders) {
  // "DATA" then 0x00010000 little-endian
  EXPECT_EQ(SyncHeader("DATA", 65536), std::string("DATA\x00\x00\x01\x00", 8));
  std::string id;
  uint32_t value = 0;
  EXPECT_TRUE(ParseSyncHeader("FAIL\x05\x00\x00\x00", 8, id, value));
  EXPECT_EQ(id, "FAIL");
  EXPECT_EQ(value, 5u);
  EXPECT_FALSE(ParseSyncHeader("OKAY", 4, id, value));
}

TEST(AdbWire, ProgressOfHugeFilesStaysExactAndMonotonic) {
  int d = 0, t = 0;
  ScaleProgress(50, 100, d, t);
  EXPECT_EQ(d, 50);
  EXPECT_EQ(t, 100);
  const int64_t kBig = 5LL * 1024 * 1024 * 1024 + 7;  // 5 GiB and a bit
  int lastPercent = -1;
  for (int64_t done = 0; done <= kBig; done += kBig / 997) {
    ScaleProgress(done, kBig, d, t);
    ASSERT_GT(t, 0);
    int percent = (int)((int64_t)d * 100 / t);
    EXPECT_GE(percent, lastPercent);
    lastPercent = percent;
  }
  ScaleProgress(kBig, kBig, d, t);
  EXPECT_EQ(d, t);
  ScaleProgress(10, 0, d, t);  // a file that shrank: never more done than total
  EXPECT_EQ(d, 0);
  EXPECT_EQ(t, 0);
  ScaleProgress((int64_t)INT_MAX + 1, (int64_t)INT_MAX + 1, d, t);
  EXPECT_EQ(d, t);
}

TEST(DeviceDiff, InsertReadyChangeRemoveAndRepeats) {
  CDeviceDiff diff;
  auto c = diff.Update(ParseDeviceList("p1\toffline\n"));
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].kind, DeviceChange::kInsert);
  EXPECT_EQ(c[0].description, "p1");
  EXPECT_EQ(c[1].kind, DeviceChange::kReady);
  EXPECT_EQ(c[1].status, 2);
  EXPECT_TRUE(diff.Update(ParseDeviceList("p1\toffline\n")).empty()) << "a repeated list changes nothing";
  c = diff.Update(ParseDeviceList("p1\tdevice\np2\tunauthorized\n"));
  ASSERT_EQ(c.size(), 3u);
  EXPECT_EQ(c[0].kind, DeviceChange::kReady);
  EXPECT_EQ(c[0].status, 0);
  EXPECT_EQ(c[1].kind, DeviceChange::kInsert);
  EXPECT_EQ(c[2].status, 1);
  c = diff.Update(ParseDeviceList("p2\tunauthorized\n"));
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].kind, DeviceChange::kRemove);
  EXPECT_EQ(c[0].serial, "p1");
  c = diff.Clear();
  ASSERT_EQ(c.size(), 1u);
  EXPECT_EQ(c[0].serial, "p2");
  EXPECT_TRUE(diff.Clear().empty());
}
