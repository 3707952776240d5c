// The audio streaming service over a link table with loopback sockets; the capture library's
// tone source and the Opus codec this test program exports (as Quillon.exe does).
#include <gtest/gtest.h>

#include <math.h>
#include <opus/opus.h>

#include <new>
#include <vector>

#include "Channel.h"
#include "ControlFrame.h"
#include "FakeForwarder.h"
#include "LinkTable.h"
#include "LoopbackPair.h"
#include "PhoneLink.h"
#include "Quillon.h"

using namespace linktest;
using namespace phonelink;

namespace {

const unsigned char kFormat[16] = {0x4F, 0x70, 2, 0, 0x80, 0xBB, 0, 0};  // 48000 at offset 4

struct QuillonTest : ::testing::Test {
  CLinkTable table;
  FakeForwarder fwd;
  SOCKET phoneControl = INVALID_SOCKET, pcControl = INVALID_SOCKET;
  SOCKET audioListener = INVALID_SOCKET;
  void SetUp() override { SetEnvironmentVariableW(L"SHARE_CAPTURE_SOURCE", L"none"); }
  void TearDown() override {
    table.Clear();
    if (phoneControl != INVALID_SOCKET) closesocket(phoneControl);
    if (audioListener != INVALID_SOCKET) closesocket(audioListener);
  }
  // A phone linked over "Wi-Fi" (127.0.0.1: no datagram path) whose audio port is reached
  // through the forwarder double, as over USB.
  void LinkPhone() {
    ASSERT_TRUE(MakePair(&phoneControl, &pcControl));
    table.Attach(pcControl, &fwd, false);
    char id[4];
    ASSERT_TRUE(ReadExactly(phoneControl, id, 4));
    audioListener = ListenLoopback(nullptr, CQuillon::kAudioPort);
    ASSERT_NE(audioListener, INVALID_SOCKET);
  }
  bool ReadFrame(uint16_t* type, uint32_t* value) {
    unsigned char f[12];
    if (!ReadExactly(phoneControl, f, 8)) return false;
    *type = ReadLE16(f + 4);
    *value = 0;
    if (ReadLE16(f + 6) == 4) {
      if (!ReadExactly(phoneControl, f + 8, 4)) return false;
      *value = ReadLE32(f + 8);
    }
    return true;
  }
};

// Dominant frequency of a mono signal from its rising zero crossings.
double ZeroCrossingHz(const std::vector<float>& x, int rate) {
  int crossings = 0, first = -1, last = -1;
  for (size_t i = 1; i < x.size(); ++i)
    if (x[i - 1] < 0 && x[i] >= 0) {
      if (first < 0) first = (int)i;
      last = (int)i;
      ++crossings;
    }
  return crossings > 1 ? (crossings - 1) * (double)rate / (last - first) : 0;
}

}  // namespace

TEST_F(QuillonTest, DataWithEmptyListSendsNothing) {
  CQuillon service(&table);
  service.OnData(reinterpret_cast<const unsigned char*>("abc"), 3);
  EXPECT_EQ(service.Count(), 0u);
}

TEST_F(QuillonTest, FormatWithoutLinkSendsNothingAndAddsNoChannel) {
  CQuillon service(&table);
  service.OnFormat(kFormat);
  EXPECT_EQ(service.Count(), 0u);
  EXPECT_EQ(fwd.calls, 0);
}

TEST_F(QuillonTest, FormatAnnouncesTheRateAndOpensTheAudioChannel) {
  LinkPhone();
  CQuillon service(&table);
  service.OnFormat(kFormat);
  uint16_t type;
  uint32_t value;
  ASSERT_TRUE(ReadFrame(&type, &value));
  EXPECT_EQ(type, kMsgStreamFormat);
  EXPECT_EQ(value, 48000u);
  EXPECT_EQ(service.Count(), 1u);
  SOCKET audio = accept(audioListener, nullptr, nullptr);
  ASSERT_NE(audio, INVALID_SOCKET);
  service.OnData(reinterpret_cast<const unsigned char*>("\x02\x00hi"), 4);
  char got[4];
  ASSERT_TRUE(ReadExactly(audio, got, 4));
  EXPECT_EQ(0, memcmp(got, "\x02\x00hi", 4));
  // The phone link drops its channels: the service's list forgets them first.
  table.Clear();
  EXPECT_EQ(service.Count(), 0u);
  closesocket(audio);
}

TEST_F(QuillonTest, ServiceGoneBeforeItsLinkIsNotReachedWhenTheLinkEnds) {
  // Guards a use after free at exit: the bridge (and its service) is deleted before the
  // process's link table when the skin never ran "Uninit"; ending the link then told the freed
  // service to forget its channel.
  LinkPhone();
  // The service lives in storage of the test's own, so that once it is gone the storage can
  // be wiped: a call through a stale pointer then faults at once instead of passing unseen.
  alignas(CQuillon) static unsigned char storage[sizeof(CQuillon)];
  CQuillon* service = new (storage) CQuillon(&table);
  service->OnFormat(kFormat);
  ASSERT_EQ(service->Count(), 1u);
  SOCKET audio = accept(audioListener, nullptr, nullptr);
  if (audio != INVALID_SOCKET) closesocket(audio);
  service->~CQuillon();
  memset(storage, 0, sizeof(storage));
  ASSERT_NE(table.CurrentLink(), nullptr);
  EXPECT_EQ(table.CurrentLink()->ChannelCount(), 1u);  // the channel stays with its link
  table.Clear();
  EXPECT_EQ(table.LinkCount(), 0u);
}

TEST_F(QuillonTest, StartingTwiceInitialisesOnce) {
  CQuillon service(&table);
  EXPECT_TRUE(service.Start());
  EXPECT_FALSE(service.Start());
  EXPECT_EQ(service.Initialisations(), 1);
  service.Stop();
  ASSERT_TRUE(WaitFor([&] { return !service.IsCapturing(); }));
  EXPECT_TRUE(service.Start());  // a new run after the stop
  EXPECT_EQ(service.Initialisations(), 2);
  service.Stop();
}

TEST_F(QuillonTest, ToneReachesThePhoneAsSelfDelimitedOpusBlocks) {
  SetEnvironmentVariableW(L"SHARE_CAPTURE_SOURCE", L"tone:1000:-6");
  LinkPhone();
  CQuillon service(&table);
  ASSERT_TRUE(service.Start());
  uint16_t type;
  uint32_t value;
  ASSERT_TRUE(ReadFrame(&type, &value));
  EXPECT_EQ(type, kMsgStreamFormat);
  EXPECT_EQ(value, 48000u);
  SOCKET audio = accept(audioListener, nullptr, nullptr);
  ASSERT_NE(audio, INVALID_SOCKET);

  int error = 0;
  OpusDecoder* decoder = opus_decoder_create(48000, 2, &error);
  ASSERT_EQ(error, OPUS_OK);
  std::vector<float> left;
  int blocks = 0;
  DWORD fifthAt = 0;
  for (; blocks < 25; ++blocks) {  // half a second of 20 ms blocks
    if (blocks == 5) fifthAt = GetTickCount();
    unsigned char header[2], packet[1500];
    ASSERT_TRUE(ReadExactly(audio, header, 2));
    int length = header[0] | (header[1] << 8);
    ASSERT_GT(length, 0);
    ASSERT_LE(length, 1500);
    ASSERT_TRUE(ReadExactly(audio, packet, length));
    float pcm[2 * 5760];
    int samples = opus_decode_float(decoder, packet, length, pcm, 5760, 0);
    ASSERT_EQ(samples, 960);  // 20 ms frames, told by the packet itself
    for (int i = 0; i < samples; ++i) left.push_back(pcm[2 * i]);
  }
  // The tone is paced in real time, not as fast as it can be encoded: 20 blocks span 0.4 s.
  EXPECT_GE(GetTickCount() - fifthAt, 350u);
  opus_decoder_destroy(decoder);
  service.Stop();
  // The capture loop polls nothing itself: the source's wait must end it.
  for (DWORD start = GetTickCount(); service.IsCapturing() && GetTickCount() - start < 3000;) Sleep(10);
  EXPECT_FALSE(service.IsCapturing());
  std::vector<float> settled(left.begin() + 4800, left.end());  // past the codec's start-up
  EXPECT_NEAR(ZeroCrossingHz(settled, 48000), 1000.0, 10.0);
  double sum = 0;
  for (float v : settled) sum += v * v;
  double dbfs = 10 * log10(sum / settled.size() * 2);  // peak level of a sine
  EXPECT_NEAR(dbfs, -6.0, 1.5);
  closesocket(audio);
}
