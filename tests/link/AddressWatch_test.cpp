// The address-change watch's logic with a notifier double (Wine's NotifyAddrChange is a stub),
// on a wait loop of its own.
#include <gtest/gtest.h>

#include "AddressWatch.h"
#include "LoopbackPair.h"

using linktest::WaitFor;

namespace {

struct NotifierDouble : IAddressNotifier {
  std::atomic<int> requests{0}, cancels{0};
  std::atomic<HANDLE> event{nullptr};
  bool Request(HANDLE*, OVERLAPPED* ov) override {
    event = ov->hEvent;
    ++requests;
    return true;
  }
  void Cancel(OVERLAPPED*) override { ++cancels; }
  void Change() { SetEvent(event.load()); }
};

void CountRefresh(void* count) { ++*static_cast<std::atomic<int>*>(count); }

}  // namespace

TEST(AddressWatch, ChangeRefreshesAfterSettlingAndAsksAgain) {
  std::atomic<bool> running{false};
  std::atomic<int> refreshes{0};
  NotifierDouble notifier;
  CAddressWatch watch(&running, &CountRefresh, &refreshes, &notifier);
  watch.SetTimes(50, 100);
  EXPECT_TRUE(watch.StartIfStopped());
  EXPECT_FALSE(watch.StartIfStopped());  // served once while the flag is set
  ASSERT_TRUE(WaitFor([&] { return notifier.requests == 1; }));
  notifier.Change();
  ASSERT_TRUE(WaitFor([&] { return refreshes == 1; }));
  EXPECT_TRUE(WaitFor([&] { return notifier.requests == 2; }));
  running = false;
  EXPECT_TRUE(WaitFor([&] { return !watch.Active(); }));
  EXPECT_EQ(notifier.cancels, 1);
}

TEST(AddressWatch, ClearedFlagLeavesTheLoopWithoutRefresh) {
  std::atomic<bool> running{false};
  std::atomic<int> refreshes{0};
  NotifierDouble notifier;
  CAddressWatch watch(&running, &CountRefresh, &refreshes, &notifier);
  watch.SetTimes(50, 100);
  ASSERT_TRUE(watch.StartIfStopped());
  ASSERT_TRUE(WaitFor([&] { return notifier.requests == 1; }));
  running = false;
  EXPECT_TRUE(WaitFor([&] { return !watch.Active(); }));
  EXPECT_EQ(refreshes, 0);
  EXPECT_TRUE(watch.StartIfStopped());  // set again: served again
  EXPECT_TRUE(WaitFor([&] { return notifier.requests == 2; }));
}

TEST(AddressWatch, SystemNotifierRunsAndStops) {
  std::atomic<bool> running{false};
  std::atomic<int> refreshes{0};
  {
    CAddressWatch watch(&running, &CountRefresh, &refreshes);
    watch.SetTimes(50, 100);
    ASSERT_TRUE(watch.StartIfStopped());
    Sleep(200);
  }  // the destructor clears the flag and waits
  EXPECT_FALSE(running);
}
