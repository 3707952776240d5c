// Discovery refresh rules that open no socket, so they run in the machine's own namespace.
// Announcements, connects and the PC's own datagrams are tested inside namespaces
// (netns_stream_test.py).
#include <gtest/gtest.h>

#include "LanFinder.h"

namespace {

int LoopbackOnly(ShareLib::LocalIPv4* out, int max) {
  if (max < 1) return 0;
  out[0] = {htonl(INADDR_LOOPBACK), htonl(0xFF000000u)};
  return 1;
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
