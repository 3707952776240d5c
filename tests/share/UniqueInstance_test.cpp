// The single-instance guard, in this process and across real processes.
#include <gtest/gtest.h>

#include "ShareTestUtil.h"

using namespace ShareLib;
using namespace sharetest;

namespace {

const DWORD kWaitMs = 15000;  // a Wine process start can take a few seconds on a loaded machine

std::wstring PeerPath() { return ThisProgramFolder() + L"unique_instance_peer.exe"; }

}  // namespace

TEST(UniqueInstance, FirstCallerHoldsTheName) {
  std::wstring name = UniqueName(L"QuillonTestInstance-");
  EXPECT_TRUE(UniqueInstance(name.c_str(), L"NoClass", L"NoTitle", false, false));
  // Asked again without leave to exit, the call reports the running instance and returns.
  EXPECT_FALSE(UniqueInstance(name.c_str(), L"NoClass", L"NoTitle", true, false));
}

TEST(UniqueInstance, BadNameDoesNotEndTheProcess) {
  EXPECT_FALSE(UniqueInstance(nullptr, nullptr, nullptr, true, true));
  EXPECT_FALSE(UniqueInstance(L"", nullptr, nullptr, true, true));
}

TEST(UniqueInstance, SecondCopyEndsInsideTheCall) {
  std::wstring name = UniqueName(L"QuillonTestPeer-");
  ChildProcess first;
  ASSERT_TRUE(first.Start(PeerPath(), L"\"" + name + L"\" 60000"));
  ASSERT_TRUE(first.WaitForOutput("past", kWaitMs)) << "first copy did not get past the call";

  ChildProcess second;
  ASSERT_TRUE(second.Start(PeerPath(), L"\"" + name + L"\" 0"));
  DWORD code = 1;
  ASSERT_TRUE(second.WaitForExit(kWaitMs, &code)) << "second copy did not end";
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(second.Output().find("past"), std::string::npos) << "second copy went on after the call";
}

TEST(UniqueInstance, NameIsFreeAgainAfterTheHolderEnds) {
  std::wstring name = UniqueName(L"QuillonTestPeer-");
  {
    ChildProcess first;
    ASSERT_TRUE(first.Start(PeerPath(), L"\"" + name + L"\" 0"));
    DWORD code = 1;
    ASSERT_TRUE(first.WaitForExit(kWaitMs, &code));
    EXPECT_NE(first.Output().find("past"), std::string::npos);
  }
  ChildProcess next;
  ASSERT_TRUE(next.Start(PeerPath(), L"\"" + name + L"\" 0"));
  DWORD code = 1;
  ASSERT_TRUE(next.WaitForExit(kWaitMs, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_NE(next.Output().find("past"), std::string::npos);
}
