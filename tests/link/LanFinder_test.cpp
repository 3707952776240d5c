// Discovery refresh rules that open no socket, so they run in the machine's own namespace.
// Announcements, connects and the PC's own datagrams are tested inside namespaces
// (netns_stream_test.py).
#include <gtest/gtest.h>

#include "LanFinder.h"

namespace {

bool LoopbackOnly(uint32_t* address, uint32_t* mask) {
  *address = htonl(INADDR_LOOPBACK);
  *mask = htonl(0xFF000000u);
  return false;
}

}  // namespace

TEST(LanFinder, RefreshOnTheLoopbackOpensNothing) {
  CLanFinder finder;
  finder.SetAddressQuery(&LoopbackOnly);
  finder.Refresh();
  EXPECT_FALSE(finder.HasDatagramSocket());
  EXPECT_FALSE(finder.HasListenSocket());
  EXPECT_EQ(finder.LocalAddress(), 0u);
  EXPECT_EQ(finder.ListenPort(), (uint16_t)15548);
  finder.Stop();
}

TEST(LanFinder, StopWithoutStartEndsAtOnce) {
  CLanFinder finder;
  finder.Stop();
  EXPECT_FALSE(finder.HasListenSocket());
}
