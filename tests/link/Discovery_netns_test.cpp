// Discovery and the bridge on a real network, run only inside the namespaces that
// netns_discovery_test.py makes: this program in the "pc" namespace under a wineserver of its
// own, the phone agent (tests/peers/phone_agent.py) in the "phone" namespace, one veth pair
// between them. The program refuses to run anywhere else: it broadcasts.
//   QUILLON_NETNS_PC     the PC's address in its namespace (must be this machine's address)
//   QUILLON_NETNS_PHONE  the agent's address; it takes commands on UDP 9900
//   QUILLON_NETNS_DECOY, QUILLON_NETNS_LINK_LOCAL  the addresses of the PC's decoy adapter,
//                        listed before the phone's, in a namespace without phones
#include <winsock2.h>
#include <ws2tcpip.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "ChainWiring.h"
#include "GuiAdbLogic.h"
#include "ProcessCounts.h"
#include "IOCPServer.h"
#include "LanFinder.h"
#include "LinkReactions.h"
#include "LinkTable.h"
#include "LoopbackPair.h"
#include "share.h"

using namespace linktest;

namespace {

const uint16_t kAgentCommandPort = 9900;

uint32_t EnvAddress(const char* name) {
  const char* v = getenv(name);
  return v ? inet_addr(v) : INADDR_NONE;
}

std::string Dotted(uint32_t address) {
  in_addr a;
  a.s_addr = address;
  return inet_ntoa(a);
}

std::string Hex16(uint16_t v) {
  char b[8];
  snprintf(b, sizeof(b), "%02x%02x", v & 0xFF, v >> 8);
  return b;
}

// One command to the agent, one line back. Quick commands are sent again when no answer came
// within tryMs; a command that takes long (cycles) gets one try with a long wait.
std::string Agent(const std::string& command, DWORD tryMs = 1000, int tries = 5) {
  SOCKET u = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  sockaddr_in to = {};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = EnvAddress("QUILLON_NETNS_PHONE");
  to.sin_port = htons(kAgentCommandPort);
  setsockopt(u, SOL_SOCKET, SO_RCVTIMEO, (const char*)&tryMs, sizeof(tryMs));
  std::string answer = "timeout";
  for (int i = 0; i < tries; ++i) {
    sendto(u, command.data(), (int)command.size(), 0, (sockaddr*)&to, sizeof(to));
    char buf[512];
    int n = recv(u, buf, sizeof(buf), 0);
    if (n > 0) {
      answer.assign(buf, n);
      break;
    }
  }
  closesocket(u);
  return answer;
}

std::string LongAgent(const std::string& command) { return Agent(command, 120000, 1); }

int AgentNumber(const std::string& command, int index = 0) {
  std::string a = Agent(command);
  size_t at = 0;
  for (int i = 0; i < index && at != std::string::npos; ++i) at = a.find(' ', at) + 1;
  return atoi(a.c_str() + (at == std::string::npos ? a.size() : at));
}

bool InNamespace() {
  uint32_t pc = EnvAddress("QUILLON_NETNS_PC");
  return pc != INADDR_NONE && EnvAddress("QUILLON_NETNS_PHONE") != INADDR_NONE && ShareLib::IsOwnAddress(pc);
}


struct Found {
  uint32_t address;
  uint16_t port;
};

struct FoundRecorder : IFoundCallback {
  std::mutex lock;
  std::vector<Found> found;
  std::vector<SOCKET> sockets;
  void OnFound(SOCKET s, uint32_t address, uint16_t port) override {
    std::lock_guard<std::mutex> hold(lock);
    found.push_back({address, port});
    sockets.push_back(s);
  }
  void OnAdd(SOCKET) override {}
  size_t Count() {
    std::lock_guard<std::mutex> hold(lock);
    return found.size();
  }
  ~FoundRecorder() {
    for (SOCKET s : sockets) closesocket(s);
  }
};

// The PC's own datagram: from one of its own addresses to its discovery port.
void SendOwnDatagram(const unsigned char* data, int length, const char* fromVariable = "QUILLON_NETNS_PC") {
  SOCKET u = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  sockaddr_in from = {};
  from.sin_family = AF_INET;
  from.sin_addr.s_addr = EnvAddress(fromVariable);
  bind(u, (sockaddr*)&from, sizeof(from));
  from.sin_addr.s_addr = EnvAddress("QUILLON_NETNS_PC");
  sockaddr_in to = from;
  to.sin_port = htons(CLanFinder::kDiscoveryPort);
  sendto(u, (const char*)data, length, 0, (sockaddr*)&to, sizeof(to));
  closesocket(u);
}

std::vector<uint32_t> s_fakeAddresses;
int FakeAddresses(ShareLib::LocalIPv4* out, int max) {
  int n = 0;
  for (; n < max && n < (int)s_fakeAddresses.size(); ++n) out[n] = {s_fakeAddresses[n], htonl(0xFFFFFF00u)};
  return n;
}

// Waits with the thread's messages pumped (the bridge posts its events to its window).
template <class Pred>
bool PumpUntil(Pred pred, DWORD timeoutMs = 10000) {
  for (DWORD start = GetTickCount(); !pred(); Sleep(10)) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    if (GetTickCount() - start > timeoutMs) return pred();
  }
  return true;
}

// Threads of this process now.
int ThreadCount() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snap == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 t = {};
  t.dwSize = sizeof(t);
  int n = 0;
  for (BOOL more = Thread32First(snap, &t); more; more = Thread32Next(snap, &t))
    if (t.th32OwnerProcessID == GetCurrentProcessId()) ++n;
  CloseHandle(snap);
  return n;
}

}  // namespace

// The finder's tests: inside the namespaces only, with Winsock started and the PC's address.
struct DiscoveryNetns : ::testing::Test {
  std::string pc;
  void SetUp() override {
    if (!InNamespace()) GTEST_SKIP() << "only inside the namespaces of netns_discovery_test.py";
    StartWinsock();
    pc = Dotted(EnvAddress("QUILLON_NETNS_PC"));
  }
};

TEST_F(DiscoveryNetns, PhoneAnnouncementConnectsAndOwnOrEmptyDatagramsStartNothing) {
  ASSERT_EQ(Agent("listen 16000"), "ok");
  ASSERT_EQ(Agent("listen 16001"), "ok");
  FoundRecorder rec;
  CLanFinder finder;
  const int earlier = AgentNumber("heard");
  finder.Start(&rec);
  ASSERT_TRUE(finder.HasDatagramSocket());
  ASSERT_TRUE(PumpUntil([&] { return AgentNumber("heard") > earlier; }));  // the PC is up

  // The phone's announcement: the PC connects to the announced port.
  ASSERT_EQ(Agent("send " + pc + " 9755 " + Hex16(16000)), "ok");
  ASSERT_TRUE(WaitFor([&] { return rec.Count() == 1 && AgentNumber("conn 16000") == 1; }));

  // Start nothing: the PC's own datagram naming its own listener (had it counted, the PC
  // would connect to itself and find two sockets), an empty datagram (had it counted, the
  // port left in the buffer, 16000, would be connected again), odd sizes of 1 and 40 bytes
  // (a 1-byte one names a port no one listens on; 40 bytes are cut to 32).
  unsigned char own[2] = {(unsigned char)(CLanFinder::kListenPort & 0xFF), (unsigned char)(CLanFinder::kListenPort >> 8)};
  SendOwnDatagram(own, 2);
  ASSERT_EQ(Agent("send " + pc + " 9755"), "ok");
  // The barrier: a later announcement is connected, so the ones before it were read.
  ASSERT_EQ(Agent("send " + pc + " 9755 " + Hex16(16001)), "ok");
  ASSERT_TRUE(WaitFor([&] { return AgentNumber("conn 16001") == 1; }));
  Sleep(300);  // connects run on threads of their own: let a wrong one land
  EXPECT_EQ(rec.Count(), 2u);
  EXPECT_EQ(AgentNumber("conn 16000"), 1) << "the empty datagram started a connect";
  {
    std::lock_guard<std::mutex> hold(rec.lock);
    for (const Found& f : rec.found)
      EXPECT_EQ(f.address, EnvAddress("QUILLON_NETNS_PHONE")) << "the PC connected to itself";
  }
  finder.Stop();
}

// Guards a fault: the PC took the first adapter's address as its own and the limited
// broadcast left by another one, so its own announcement came back from an address it did not
// know and it linked to itself. Now it announces on each adapter and knows every address.
TEST_F(DiscoveryNetns, OwnAnnouncementsOnEveryAdapterNeverLinkThePCToItself) {
  ASSERT_EQ(Agent("listen 16040"), "ok");
  FoundRecorder rec;
  CLanFinder finder;
  const int earlier = AgentNumber("heard");
  finder.Start(&rec);
  EXPECT_EQ(finder.LocalAddress(), EnvAddress("QUILLON_NETNS_PC")) << "the adapter with the gateway comes first";
  ASSERT_TRUE(PumpUntil([&] { return AgentNumber("heard") > earlier; })) << "no announcement on the phone's subnet";
  unsigned char own[2] = {(unsigned char)(CLanFinder::kListenPort & 0xFF), (unsigned char)(CLanFinder::kListenPort >> 8)};
  for (const char* from : {"QUILLON_NETNS_PC", "QUILLON_NETNS_DECOY", "QUILLON_NETNS_LINK_LOCAL"})
    SendOwnDatagram(own, 2, from);
  // The barrier: the phone's announcement after them is connected.
  ASSERT_EQ(Agent("announce 16040"), "ok");
  ASSERT_TRUE(WaitFor([&] { return AgentNumber("conn 16040") == 1; }));
  Sleep(500);  // connects run on threads of their own: let a wrong one land
  EXPECT_EQ(rec.Count(), 1u);
  {
    std::lock_guard<std::mutex> hold(rec.lock);
    for (const Found& f : rec.found)
      EXPECT_EQ(Dotted(f.address), Dotted(EnvAddress("QUILLON_NETNS_PHONE"))) << "the PC linked to itself";
  }
  finder.Stop();
}

// Announcements naming a port whose connects hang: a few connects wait at a time, not one
// thread per datagram; once they fail, the newest announcement is connected.
TEST_F(DiscoveryNetns, AnnouncementFloodKeepsAFewConnectsAndTheNewestWins) {
  ASSERT_EQ(Agent("stall 16004"), "ok");
  ASSERT_EQ(Agent("listen 16005"), "ok");
  FoundRecorder rec;
  CLanFinder finder;
  finder.Start(&rec);
  ASSERT_TRUE(finder.HasDatagramSocket());
  Sleep(500);
  const int before = ThreadCount();
  // Ten times the connect limit, and few enough that the datagram queue (about 200 KB of
  // buffer, some 1 KB per small datagram) cannot overflow while the PC is slow to read it: a
  // dropped newest announcement would leave nothing but the stalled port to connect to.
  ASSERT_EQ(LongAgent("flood " + pc + " 9755 " + Hex16(16004) + " 40"), "ok");
  ASSERT_EQ(Agent("send " + pc + " 9755 " + Hex16(16005)), "ok");
  Sleep(1000);
  const int during = ThreadCount();
  printf("threads: %d before the flood, %d while its connects hang\n", before, during);
  EXPECT_LE(during - before, CLanFinder::kMaxConnects);
  EXPECT_EQ(AgentNumber("conn 16005"), 0);  // behind the hanging ones
  ASSERT_EQ(Agent("unstall 16004"), "ok");
  EXPECT_TRUE(WaitFor([&] { return AgentNumber("conn 16005") == 1; }, 20000));
  finder.Stop();
}

TEST_F(DiscoveryNetns, AcceptingGoesOnAfterConnectionsResetBeforeAccept) {
  // Guards a fault: the first failed accept (a connection reset while queued) ended the accept
  // thread, and no phone could connect until the next address change.
  FoundRecorder rec;
  CLanFinder finder;
  finder.Start(&rec);
  ASSERT_TRUE(finder.HasListenSocket());
  EXPECT_EQ(LongAgent("resets 100"), "done 100") << "connects timed out: the PC stopped accepting";
  size_t before = rec.Count();
  ASSERT_EQ(LongAgent("cycles 3"), "done");
  EXPECT_TRUE(WaitFor([&] { return rec.Count() >= before + 3; }, 5000))
      << rec.Count() - before << " of 3 connections after the resets accepted";
  finder.Stop();
}

TEST_F(DiscoveryNetns, RefreshWithUnchangedAddressOrLoopbackOpensNothing) {
  FoundRecorder rec;
  CLanFinder finder;
  const int earlier = AgentNumber("heard");  // other tests' announcements
  finder.Start(&rec);
  ASSERT_TRUE(PumpUntil([&] { return AgentNumber("heard") == earlier + 1; }));
  Sleep(200);
  int heard = AgentNumber("heard");
  EXPECT_EQ(heard, earlier + 1) << "one announcement per refresh";
  uint32_t address = finder.LocalAddress();
  EXPECT_EQ(address, EnvAddress("QUILLON_NETNS_PC"));
  Sleep(200);
  DWORD handles = HandleCount(GetCurrentProcess());

  finder.Refresh();  // the address is unchanged
  s_fakeAddresses = {htonl(INADDR_LOOPBACK)};
  finder.SetAddressQuery(&FakeAddresses);
  finder.Refresh();  // the loopback
  EXPECT_EQ(HandleCount(GetCurrentProcess()), handles) << "a refresh opened sockets or threads";
  EXPECT_EQ(finder.LocalAddress(), address);
  EXPECT_TRUE(finder.HasListenSocket());
  EXPECT_TRUE(finder.HasDatagramSocket());

  // The barrier: a changed list (the decoy adapter first) reopens and announces once more,
  // on both adapters; the phone hears its own subnet's announcement.
  s_fakeAddresses = {EnvAddress("QUILLON_NETNS_DECOY"), EnvAddress("QUILLON_NETNS_PC")};
  finder.Refresh();
  EXPECT_EQ(finder.LocalAddress(), s_fakeAddresses[0]);
  ASSERT_TRUE(WaitFor([&] { return AgentNumber("heard") == heard + 1; }));
  Sleep(300);
  EXPECT_EQ(AgentNumber("heard"), heard + 1) << "a refresh that should open nothing announced";
  finder.Stop();
}

TEST_F(DiscoveryNetns, StopThenStartOpensAgain) {
  // Guards a fault: the stop kept the address, so the next start found it "unchanged" and
  // opened nothing; discovery stayed deaf and mute.
  FoundRecorder rec;
  CLanFinder finder;
  const int earlier = AgentNumber("heard");
  finder.Start(&rec);
  ASSERT_TRUE(finder.HasListenSocket());
  ASSERT_TRUE(WaitFor([&] { return AgentNumber("heard") > earlier; }));
  Sleep(200);  // every announcement so far has landed
  int heard = AgentNumber("heard");
  finder.Stop();
  EXPECT_FALSE(finder.HasListenSocket());
  finder.Start(&rec);
  EXPECT_TRUE(finder.HasListenSocket());
  EXPECT_TRUE(finder.HasDatagramSocket());
  EXPECT_TRUE(WaitFor([&] { return AgentNumber("heard") == heard + 1; }));  // announced again
  finder.Stop();
}

// A phone whose network vanishes under a live link (its interface taken down: nothing answers,
// nothing is reset). The keep-alive the link sets on found sockets must end the link within its
// bound and tell the window, and no completion worker may be lost on the way.
TEST_F(DiscoveryNetns, DeadNetworkEndsTheLinkByKeepAliveAndKeepsEveryWorker) {
  ASSERT_EQ(Agent("listen 16030"), "ok");
  ASSERT_EQ(Agent("listen 16031"), "ok");
  CLinkTable table;
  ChainHost host;
  CLinkReactions reactions(table, host);
  ChainCallback chain;
  CIOCPServer server;
  host.server = &server;
  chain.reactions = &reactions;
  ASSERT_TRUE(server.Start(&chain, -1));
  CLanFinder finder;
  finder.Start(&chain);
  ASSERT_EQ(Agent("announce 16030"), "ok");
  ASSERT_TRUE(WaitFor([&] { return table.LinkCount() == 1 && AgentNumber("conn 16030", 1) == 1; }));

  // Idle time, then ten probes (Windows; Linux sends nine) at the interval, and some slack; the
  // phone's network stays down a little longer, so that no probe can be answered in time.
  const DWORD boundMs = CLinkReactions::kKeepAliveIdleMs + 10 * CLinkReactions::kKeepAliveIntervalMs + 8000;
  ASSERT_EQ(Agent("linkdown " + std::to_string(boundMs / 1000 + 2)), "ok");
  const DWORD down = GetTickCount();
  EXPECT_TRUE(WaitFor([&] { return host.Count("Disconnect") == 1; }, boundMs));
  printf("the link's end was reported %lu ms after the phone's network went down\n", GetTickCount() - down);
  EXPECT_EQ(table.LinkCount(), 0u);
  EXPECT_EQ(server.LiveWorkers(), server.WorkerCount());
  // Counted once the reaction that raised the event has returned.
  EXPECT_TRUE(WaitFor([&] { return chain.aborted + chain.closed == 1; }, 2000));
  EXPECT_EQ(chain.aborted + chain.closed, 1);

  // The phone's network is back: a new link is served as before.
  ASSERT_TRUE(WaitFor([&] { return Agent("heard") != "timeout"; }, 30000)) << "the phone did not come back";
  ASSERT_EQ(Agent("announce 16031"), "ok");
  ASSERT_TRUE(WaitFor([&] { return table.LinkCount() == 1 && AgentNumber("conn 16031", 1) == 1; }));
  ASSERT_EQ(Agent("frame 16031 015a01001201040007000000"), "ok");  // 0x0112, value 7
  EXPECT_TRUE(WaitFor([&] { return host.Count("StateSync") == 1; }));
  EXPECT_EQ(server.LiveWorkers(), server.WorkerCount());
  finder.Stop();
  server.Stop();
  table.Clear();
}

// The bridge as the program runs it: Init once for the suite (its completion server cannot
// start twice in a process), a phone that links and leaves, handles over many links.
struct BridgeNetns : ::testing::Test {
  static CGuiAdbLogic* bridge;
  static void SetUpTestSuite() {
    if (!InNamespace()) return;
    ShareLib::CAutoWSA::Do();
    bridge = CGuiAdbLogic::Instance();
    if (bridge) bridge->CallOperation("Init", ScriptValue(0), ScriptValue(0));
  }
  static void TearDownTestSuite() {
    if (bridge) bridge->CallOperation("Uninit", ScriptValue(0), ScriptValue(0));
    delete bridge;
    bridge = nullptr;
  }
  void SetUp() override {
    if (!InNamespace()) GTEST_SKIP() << "only inside the namespaces of netns_discovery_test.py";
    ASSERT_NE(bridge, nullptr);
    int heard = AgentNumber("heard");
    // The bridge announces at Init; a refresh through the watch's path shows it is up now.
    ASSERT_TRUE(PumpUntil([&] { return AgentNumber("heard") >= 1; })) << heard;
  }
};
CGuiAdbLogic* BridgeNetns::bridge = nullptr;

TEST_F(BridgeNetns, LeaveFromThePhoneRestartsTheAddressWatch) {
  EXPECT_TRUE(bridge->AddressWatchRunning());  // Init starts it
  ASSERT_EQ(Agent("listen 16010"), "ok");
  ASSERT_EQ(Agent("announce 16010"), "ok");
  ASSERT_TRUE(PumpUntil([] { return AgentNumber("conn 16010", 1) == 1; })) << "no pcid";
  ASSERT_TRUE(PumpUntil([] { return CLinkTable::Instance().LinkCount() == 1; }));
  EXPECT_FALSE(bridge->AddressWatchRunning());  // a linked phone stops it
  // It leaves the wait loop at its next check of the flag.
  ASSERT_TRUE(PumpUntil([&] { return !bridge->AddressWatchActive(); }, 8000));

  ASSERT_EQ(Agent("frame 16010 015a010001010000"), "ok");  // 0x0101, no payload
  ASSERT_TRUE(PumpUntil([] { return CLinkTable::Instance().LinkCount() == 0; }));
  EXPECT_TRUE(PumpUntil([&] { return bridge->AddressWatchRunning() && bridge->AddressWatchActive(); }));
  EXPECT_TRUE(PumpUntil([] { return Agent("eof 16010") == "1"; })) << "the PC kept the socket";
}

TEST_F(BridgeNetns, HandlesStayFlatOverConnectCloseCyclesAndBadInput) {
  // Warm-up: Winsock's and the threads' first-use handles.
  ASSERT_EQ(LongAgent("cycles 10"), "done");
  ASSERT_TRUE(PumpUntil([] { return CLinkTable::Instance().LinkCount() == 0; }));
  Sleep(500);
  DWORD before = HandleCount(GetCurrentProcess());
  const std::string pc = Dotted(EnvAddress("QUILLON_NETNS_PC"));

  ASSERT_EQ(LongAgent("cycles 300"), "done");
  ASSERT_EQ(LongAgent("burst 5"), "done");
  for (const char* junk : {"", "07", "00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233"})
    ASSERT_EQ(Agent("send " + pc + " 9755 " + junk), "ok");
  EXPECT_EQ(LongAgent("announce_cycles 50 16020"), "done 50");
  // The last sockets are closed by the completion workers: let them finish.
  DWORD after = 0;
  PumpUntil([&] {
    after = HandleCount(GetCurrentProcess());
    return CLinkTable::Instance().LinkCount() == 0 && after <= before + 8;
  }, 20000);
  printf("handles: %lu before, %lu after 300 cycles, 5 bursts, 3 bad datagrams, 50 announced links\n", before,
         after);
  EXPECT_LE(after, before + 8);
  EXPECT_EQ(CLinkTable::Instance().LinkCount(), 0u);
}

TEST_F(BridgeNetns, ReplacedControlSocketsAreClosedWhenThePhoneDropsThem) {
  // Guards a fault: each new control socket replaced the link's previous one without anyone
  // owning the old one, so its reset by the phone left the handle open for good.
  ASSERT_EQ(LongAgent("cycles 5"), "done");
  ASSERT_TRUE(PumpUntil([] { return CLinkTable::Instance().LinkCount() == 0; }));
  Sleep(500);
  DWORD before = HandleCount(GetCurrentProcess());
  ASSERT_EQ(LongAgent("hold 40"), "held 40");
  ASSERT_TRUE(PumpUntil([] { return CLinkTable::Instance().LinkCount() == 1; }));
  ASSERT_EQ(Agent("drop"), "dropped 40");
  // Each reset read is reported after the completion server's pause, a few workers at a time.
  DWORD after = 0;
  PumpUntil([&] {
    after = HandleCount(GetCurrentProcess());
    return CLinkTable::Instance().LinkCount() == 0 && after <= before + 8;
  }, 60000);
  printf("handles: %lu before, %lu after 40 replaced control sockets were reset\n", before, after);
  EXPECT_LE(after, before + 8);
  EXPECT_EQ(CLinkTable::Instance().LinkCount(), 0u);
}
