// The capture skeleton's life cycle as the audio service drives it: Start on a thread of its
// own, Stop from another, and the destructor while Start still runs.
#include <gtest/gtest.h>

#include "ShareTestUtil.h"

using namespace ShareLib;
using sharetest::BoundedThread;

namespace {

const DWORD kWaitMs = 5000;

struct CountingCallback : ICaptureCallback {
  LONG calls = 0;
  void OnCaptureEvent(int) override { InterlockedIncrement(&calls); }
  void OnCaptureStopped() override {}
  void OnFormat(const void*) override { InterlockedIncrement(&calls); }
  void OnData(const unsigned char*, int) override { InterlockedIncrement(&calls); }
};

struct SilentPlayback : IPlaybackCallback {
  void OnPlaybackStarted() override {}
  void OnPlaybackStopped() override {}
  void OnPlaybackEvent(int) override {}
  void OnPlaybackData(const unsigned char*, int) override {}
};

// No sound source: only the life cycle is under test here (without a device the capture
// would stream silence).
struct AudioCapture : ::testing::Test {
  void SetUp() override { SetEnvironmentVariableW(L"SHARE_CAPTURE_SOURCE", L"none"); }
};

bool WaitUntilCapturing(const CAudioCapture& capture) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < kWaitMs; Sleep(10))
    if (capture.IsCapturing()) return true;
  return false;
}

}  // namespace

TEST_F(AudioCapture, StartBlocksUntilStop) {
  CountingCallback callback;
  CAudioCapture capture;
  ASSERT_NE(capture.Initialize(&callback), 0);
  EXPECT_FALSE(capture.IsCapturing());
  BoundedThread runner([&] { capture.Start(); });
  ASSERT_TRUE(WaitUntilCapturing(capture));
  EXPECT_FALSE(runner.Join(50));
  capture.Stop();
  ASSERT_TRUE(runner.Join(kWaitMs));
  EXPECT_FALSE(capture.IsCapturing());
  EXPECT_EQ(callback.calls, 0);  // no data from the skeleton

  // A second run after a new Initialize, as a new stream start does.
  ASSERT_NE(capture.Initialize(&callback), 0);
  BoundedThread again([&] { capture.Start(); });
  ASSERT_TRUE(WaitUntilCapturing(capture));
  capture.Stop();
  EXPECT_TRUE(again.Join(kWaitMs));
}

TEST_F(AudioCapture, StopBeforeStartEndsStartAtOnce) {
  // The service starts Start on a new thread; a Stop may come before that thread runs.
  CountingCallback callback;
  CAudioCapture capture;
  ASSERT_NE(capture.Initialize(&callback), 0);
  capture.Stop();
  BoundedThread runner([&] { capture.Start(); });
  EXPECT_TRUE(runner.Join(kWaitMs));
  EXPECT_FALSE(capture.IsCapturing());
}

TEST_F(AudioCapture, DestructorWaitsForRunningStart) {
  CountingCallback callback;
  auto* capture = new CAudioCapture;
  ASSERT_NE(capture->Initialize(&callback), 0);
  BoundedThread runner([&] { capture->Start(); });
  ASSERT_TRUE(WaitUntilCapturing(*capture));
  BoundedThread destroyer([&] { delete capture; });
  EXPECT_TRUE(destroyer.Join(kWaitMs));
  EXPECT_TRUE(runner.Join(kWaitMs));
}

TEST_F(AudioCapture, MissingCallbackFailsCleanly) {
  CAudioCapture capture;
  EXPECT_EQ(capture.Initialize(nullptr), 0);
  BoundedThread runner([&] { capture.Start(); });  // not initialised: returns at once
  EXPECT_TRUE(runner.Join(kWaitMs));
  EXPECT_FALSE(capture.IsCapturing());
  capture.Stop();
}

TEST(AudioPlayback, InitializeNeedsACallback) {
  SilentPlayback callback;
  CAudioPlayback playback;
  EXPECT_NE(playback.Initialize(&callback), 0);
  EXPECT_EQ(playback.Initialize(nullptr), 0);
}
