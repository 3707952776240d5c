// The USB link's reconnect through the real adb server: the script bridge links the device
// double's phone over the forward of 15568 and streams a tone over the forward of 14127; then
// the phone app drops its control connection with a reset. The bridge must forward 15568
// again, connect with a new "pcid" and hear the new 0x0110; streaming started again then
// reaches the phone over a new connection through the forward of 14127.
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>
#include <lua.hpp>

#include <cstdio>

#include "AdbTestHost.h"
#include "AudioSink.h"
#include "ControlFrame.h"
#include "LinkTable.h"
#include "PhoneLink.h"
#include "PhoneStandIn.h"
#include "SandboxBridge.h"

using namespace adbtest;

namespace {

// Where the sandbox's device double relays the phone's audio port 14127 (see CMakeLists).
const u_short kRelayedAudioPort = 24127;
const int kToneHz = 1000;
// One second of the capture's 20 ms blocks.
const int kSecondOfBlocks = 50;

class UsbReconnectOverAdb : public SandboxBridge {
 protected:
  void BeforeBridge() override {
    SetEnvironmentVariableW(L"SHARE_CAPTURE_SOURCE", (L"tone:" + std::to_wstring(kToneHz) + L":-6").c_str());
  }
  void Call(const char* operation, int a) { bridge->CallOperation(operation, ScriptValue(a), ScriptValue()); }
  bool Forwarded(const char* port) {
    std::string forwards;
    return HostRequest("host:list-forward", &forwards) &&
           forwards.find(std::string("tcp:") + port + " tcp:" + port) != std::string::npos;
  }
  // Waits until the i-th audio stream has brought a second of blocks.
  bool SecondOfAudio(AudioSink& sink, int i) {
    return WaitFor([&] { return sink.At(i).blocks >= kSecondOfBlocks; }, 15000);
  }
  void ExpectTone(const AudioSink::Stream& s) {
    EXPECT_EQ(s.badBlocks, 0) << "every block split on its length and decoded";
    EXPECT_NEAR(AudioSink::DominantHz(s), kToneHz, 15);
  }

};

TEST_F(UsbReconnectOverAdb, DroppedControlLinkIsForwardedAgainAndStreamsAgain) {
  PhoneStandIn phone;
  AudioSink sink(kRelayedAudioPort);
  bridge->CallOperation("Init", ScriptValue(), ScriptValue());
  ASSERT_TRUE(AttachDouble());
  ASSERT_TRUE(PumpUntil("count('ConnectResult') > 0 and last('ConnectResult').a == 0", 30000));
  ASSERT_TRUE(PumpUntil("count('Connected') == 1", 15000)) << "the phone's first 0x0110";
  ASSERT_EQ(phone.handshakes, 1);

  // Streaming over USB: 0x0112 3, 0x0111 with the rate, then blocks through the forward of 14127.
  Call("StartCapture", 0);
  ASSERT_TRUE(WaitFor([&] { return sink.Streams() == 1; }, 15000)) << "no stream path to the phone";
  ASSERT_TRUE(SecondOfAudio(sink, 0));
  EXPECT_TRUE(phone.Got(1, phonelink::kMsgStateSync, phonelink::kStateStreaming));
  EXPECT_TRUE(phone.Got(1, phonelink::kMsgStreamFormat, 48000));
  EXPECT_TRUE(Forwarded("14127"));
  ExpectTone(sink.At(0));

  // Only a forward made after the drop can carry the new control connection. Connections
  // already made through the old forward are not ended by its removal.
  ASSERT_TRUE(HostRequest("host-serial:" + DoubleSerial() + ":killforward:tcp:15568", nullptr, false));
  ASSERT_FALSE(Forwarded("15568"));
  phone.DropControl();

  ASSERT_TRUE(WaitFor([&] { return phone.handshakes == 2; }, 15000)) << "no second pcid";
  EXPECT_EQ(phone.drops, 1);
  EXPECT_TRUE(Forwarded("15568")) << "forwarded again before connecting";
  ASSERT_TRUE(PumpUntil("count('Connected') == 2", 15000)) << "the new 0x0110 was not heard";
  // The adb server passes the phone's reset on as the close of the forwarded socket: the
  // closed reaction ("Disconnect" on a USB-only link), then the same reconnect as an abort.
  std::printf("the PC saw the drop as %s\n", Lua("count('Disconnect') > 0") ? "a close" : "an abort");
  EXPECT_TRUE(WaitFor([&] { return sink.At(0).ended; }, 5000)) << "the old stream path was left open";
  ASSERT_EQ(CLinkTable::Instance().LinkCount(), 1u);
  CPhoneLink* link = CLinkTable::Instance().CurrentLink();
  ASSERT_NE(link, nullptr);
  EXPECT_TRUE(link->UsbConfirmed());
  // A USB-only link went down with its control socket and dropped its channels: the capture
  // still runs, but nothing reaches the phone until streaming is started again.
  EXPECT_EQ(link->ChannelCount(), 0u);
  EXPECT_EQ(sink.Streams(), 1);

  // The scripts stop and start streaming again. A start while the capture still winds down
  // does nothing, so the (quiet) start is retried until the new link hears the format.
  Call("StopCapture", 0);
  ASSERT_TRUE(WaitFor([&] { return phone.Got(2, phonelink::kMsgStateSync, phonelink::kStateStopped); }, 5000));
  ASSERT_TRUE(WaitFor(
      [&] {
        Call("StartCapture", 1);
        return phone.Got(2, phonelink::kMsgStreamFormat, 48000);
      },
      10000));
  ASSERT_TRUE(WaitFor([&] { return sink.Streams() == 2; }, 15000)) << "no stream path after the reconnect";
  ASSERT_TRUE(SecondOfAudio(sink, 1));
  ExpectTone(sink.At(1));
  EXPECT_TRUE(Forwarded("14127"));
  EXPECT_EQ(phone.handshakes, 2) << "one reconnect only";
}

}  // namespace
