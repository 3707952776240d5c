// The abort reporter's thread: it ends once a pause has passed with nothing due, and a later
// abort starts it again and is still reported after its pause.
#include <gtest/gtest.h>

#include <atomic>

#include "DelayedAborts.h"
#include "LoopbackPair.h"

using namespace linktest;

namespace {

struct Counter : IIOCPCallback {
  std::atomic<int> aborted{0};
  void OnReceived(SOCKET, const unsigned char*, int) override {}
  bool OnClosed(SOCKET) override { return false; }
  void OnAborted(SOCKET) override { ++aborted; }
};

}  // namespace

TEST(DelayedAborts, ThreadEndsWhenIdleAndStartsAgain) {
  Counter counter;
  CDelayedAborts aborts(200);
  for (int round = 1; round <= 2; ++round) {
    ASSERT_TRUE(aborts.Schedule(&counter, INVALID_SOCKET));
    ASSERT_TRUE(aborts.Schedule(&counter, INVALID_SOCKET));
    EXPECT_EQ(aborts.Threads(), 1);  // one thread for the burst
    ASSERT_TRUE(WaitFor([&] { return counter.aborted == 2 * round; }, 5000));
    // A leaked thread would keep its stack (about 1 MiB under Wine) after the phone left.
    ASSERT_TRUE(WaitFor([&] { return aborts.Threads() == 0; }, 5000)) << "round " << round;
  }
  aborts.Stop();
  EXPECT_FALSE(aborts.Schedule(&counter, INVALID_SOCKET));
}
