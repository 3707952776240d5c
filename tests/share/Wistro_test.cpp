// The update library without an update server: initialising it reports nothing.
#include <windows.h>

#include <gtest/gtest.h>
#include <wistro.h>

namespace {

struct RecordingUpdate : CUpdateCallback {
  LONG calls = 0;
  void OnUpdateFound(uint32_t, uint32_t, uint32_t, uint32_t) override { InterlockedIncrement(&calls); }
  void OnUpdateProgress(uint32_t, uint32_t, uint32_t) override { InterlockedIncrement(&calls); }
  void OnUpdateDone(uint32_t) override { InterlockedIncrement(&calls); }
};

}  // namespace

TEST(Wistro, InitAndUpdateNextReportNothing) {
  RecordingUpdate callback;
  Wistro_Init("quillon", &callback);
  Wistro_UpdateNext();
  Wistro_UpdateNext();
  Sleep(100);  // room for a stray callback from another thread
  EXPECT_EQ(callback.calls, 0);
  Wistro_Init(nullptr, nullptr);  // the callback is forgotten; no use of the old one
  Wistro_UpdateNext();
}
