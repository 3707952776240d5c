// The shared wait loop: one thread serves every waiter, starts with the first and ends with
// the last; a waiter that left is never called again.
#include <gtest/gtest.h>

#include <atomic>

#include "LoopbackPair.h"
#include "WaitLoop.h"

using linktest::WaitFor;

namespace {

struct EventWaiter : IWaiter {
  win::AutoHandle event{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  std::atomic<int> signalled{0}, served{0};
  std::atomic<DWORD> thread{0};
  DWORD waitMs = INFINITE;
  CWaitLoop* leaveOnSignal = nullptr;
  HANDLE WaitEvent() override { return event.get(); }
  DWORD Serve() override {
    thread = GetCurrentThreadId();
    ++served;
    if (WaitForSingleObject(event.get(), 0) == WAIT_OBJECT_0) {
      ResetEvent(event.get());
      ++signalled;
      if (leaveOnSignal) leaveOnSignal->Remove(this);
    }
    return waitMs;
  }
};

}  // namespace

TEST(WaitLoop, WaitersShareOneThreadThatEndsWithTheLastAndStartsAgain) {
  CWaitLoop loop;
  EventWaiter a, b;
  EXPECT_EQ(loop.Threads(), 0);
  ASSERT_TRUE(loop.Add(&a));
  ASSERT_TRUE(loop.Add(&b));
  SetEvent(a.event.get());
  SetEvent(b.event.get());
  ASSERT_TRUE(WaitFor([&] { return a.signalled == 1 && b.signalled == 1; }));
  EXPECT_EQ(a.thread, b.thread);
  EXPECT_NE(a.thread, GetCurrentThreadId());
  EXPECT_EQ(loop.Threads(), 1);

  loop.Remove(&a);
  EXPECT_FALSE(loop.Serves(&a));
  SetEvent(a.event.get());
  SetEvent(b.event.get());  // the barrier: b is served after a's event was set
  ASSERT_TRUE(WaitFor([&] { return b.signalled == 2; }));
  EXPECT_EQ(a.signalled, 1) << "a waiter that left was served";

  loop.Remove(&b);
  EXPECT_TRUE(WaitFor([&] { return loop.Threads() == 0; })) << "the thread outlived its waiters";
  ASSERT_TRUE(loop.Add(&a));  // a's event is still set
  EXPECT_TRUE(WaitFor([&] { return a.signalled == 2; }));
  loop.Remove(&a);
}

TEST(WaitLoop, TimedWaiterIsServedWithoutEventsAndMayLeaveFromItsOwnCall) {
  CWaitLoop loop;
  EventWaiter timed, leaving;
  timed.waitMs = 20;
  leaving.leaveOnSignal = &loop;
  ASSERT_TRUE(loop.Add(&timed));
  ASSERT_TRUE(loop.Add(&leaving));
  EXPECT_TRUE(WaitFor([&] { return timed.served >= 5; }));
  SetEvent(leaving.event.get());
  ASSERT_TRUE(WaitFor([&] { return !loop.Serves(&leaving); }));
  EXPECT_EQ(leaving.signalled, 1);
  loop.Remove(&timed);
  EXPECT_TRUE(WaitFor([&] { return loop.Threads() == 0; }));
}
