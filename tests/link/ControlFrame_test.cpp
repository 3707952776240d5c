// The control frame codec: bytes written, and what one completed read is taken to say.
#include <gtest/gtest.h>

#include <stdlib.h>

#include "ControlFrame.h"

using namespace phonelink;

TEST(ControlFrame, StateSyncBytes) {
  std::vector<unsigned char> f = BuildValueFrame(kMsgStateSync, 3);
  const unsigned char expected[] = {
      0x01, 0x5A, 0x01, 0x00,  // magic 0x00015A01
      0x12, 0x01,              // type 0x0112
      0x04, 0x00,              // payload length 4
      0x03, 0x00, 0x00, 0x00,  // value 3
  };
  ASSERT_EQ(f.size(), sizeof(expected));
  EXPECT_EQ(0, memcmp(f.data(), expected, sizeof(expected)));
}

TEST(ControlFrame, LeaveHasNoPayload) {
  std::vector<unsigned char> f = BuildFrame(kMsgLeave, nullptr, 0);
  const unsigned char expected[] = {0x01, 0x5A, 0x01, 0x00, 0x01, 0x01, 0x00, 0x00};
  ASSERT_EQ(f.size(), sizeof(expected));
  EXPECT_EQ(0, memcmp(f.data(), expected, sizeof(expected)));
}

TEST(ControlFrame, ParsesStateSyncValue) {
  std::vector<unsigned char> f = BuildValueFrame(kMsgStateSync, 0x12345678);
  ControlMessage m = ParseControlRead(f.data(), (int)f.size());
  EXPECT_EQ(m.kind, ControlMessage::StateSync);
  EXPECT_EQ(m.value, 0x12345678u);
}

TEST(ControlFrame, TwoMessagesInOneReadActAsOne) {
  // A leave that follows a state sync in the same read is not looked at.
  std::vector<unsigned char> a = BuildValueFrame(kMsgStateSync, 5);
  std::vector<unsigned char> b = BuildFrame(kMsgLeave, nullptr, 0);
  a.insert(a.end(), b.begin(), b.end());
  ControlMessage m = ParseControlRead(a.data(), (int)a.size());
  EXPECT_EQ(m.kind, ControlMessage::StateSync);
  EXPECT_EQ(m.value, 5u);
}

TEST(ControlFrame, ShortReadsCarryNoMessage) {
  // Guards against reading the type or value past the end of a short read.
  std::vector<unsigned char> f = BuildValueFrame(kMsgStateSync, 9);
  for (int n = 0; n < 12; ++n) EXPECT_EQ(ParseControlRead(f.data(), n).kind, ControlMessage::None) << n;
  std::vector<unsigned char> leave = BuildFrame(kMsgLeave, nullptr, 0);
  for (int n = 0; n < 8; ++n) EXPECT_EQ(ParseControlRead(leave.data(), n).kind, ControlMessage::None) << n;
  EXPECT_EQ(ParseControlRead(leave.data(), 8).kind, ControlMessage::Leave);
  EXPECT_EQ(ParseControlRead(nullptr, 100).kind, ControlMessage::None);
}

TEST(ControlFrame, MagicAndLengthAreNotChecked) {
  // The dispatcher reads the type only; a wrong magic or a length beyond the read still counts.
  unsigned char f[] = {0xDE, 0xAD, 0xBE, 0xEF, 0x10, 0x01, 0xFF, 0xFF};
  EXPECT_EQ(ParseControlRead(f, sizeof(f)).kind, ControlMessage::UsbConfirmed);
  f[4] = 0x99;
  EXPECT_EQ(ParseControlRead(f, sizeof(f)).kind, ControlMessage::Other);
}

TEST(ControlFrame, RandomBytesNeverReadPastTheRead) {
  srand(7);
  for (int round = 0; round < 2000; ++round) {
    int n = rand() % 40;
    std::vector<unsigned char> bytes(n);
    for (auto& b : bytes) b = (unsigned char)rand();
    ControlMessage m = ParseControlRead(bytes.empty() ? nullptr : bytes.data(), n);
    if (n < 8) {
      EXPECT_EQ(m.kind, ControlMessage::None);
    }
  }
}
