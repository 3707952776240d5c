// Which adapters discovery announces on, over adapter lists such as real PCs have.
#include <gtest/gtest.h>

#include "AdapterChoice.h"

using namespace ShareLib;

namespace {

AdapterFacts Adapter(const wchar_t* description, const char* address, unsigned prefix, bool gateway = false,
                     uint32_t ifType = 71 /* Wi-Fi */, bool up = true) {
  AdapterFacts a;
  a.description = description;
  a.friendlyName = L"Connection";
  a.ifType = ifType;
  a.up = up;
  a.hasGateway = gateway;
  a.addresses.emplace_back(inet_addr(address), prefix);
  return a;
}

}  // namespace

// A laptop as the system lists it: hypervisor, tunnel and VPN adapters (the VPN's gateway
// counts for nothing) and a cable without a link before the Wi-Fi, a link-local address on the Ethernet, the Wi-Fi with the gateway last.
TEST(AdapterChoice, ReachableAdaptersOnlyAndTheOneWithTheGatewayFirst) {
  std::vector<AdapterFacts> list = {
      Adapter(L"Software Loopback Interface 1", "127.0.0.1", 8, false, 24),
      Adapter(L"Hyper-V Virtual Ethernet Adapter", "172.20.16.1", 20),
      Adapter(L"VirtualBox Host-Only Ethernet Adapter", "192.168.56.1", 24),
      Adapter(L"Teredo Tunneling Pseudo-Interface", "10.8.0.2", 24, false, 131),
      Adapter(L"TAP-Windows Adapter V9", "10.211.1.7", 24, true),  // a VPN, with its gateway
      Adapter(L"Intel(R) Ethernet Connection", "169.254.10.20", 16, false, 6),
      Adapter(L"Realtek USB GbE", "192.168.9.5", 24, false, 6, false),  // no cable
      Adapter(L"Microsoft Wi-Fi Direct Virtual Adapter #2", "192.168.137.1", 24),  // the PC's hotspot
      Adapter(L"Intel(R) Wi-Fi 6 AX201 160MHz", "192.168.1.34", 24, true),
  };
  list[1].friendlyName = L"vEthernet (WSL)";
  std::vector<LocalIPv4> chosen = ChoosePhoneAddresses(list);
  ASSERT_EQ(chosen.size(), 2u);
  EXPECT_EQ(chosen[0].address, inet_addr("192.168.1.34"));
  EXPECT_EQ(chosen[0].mask, inet_addr("255.255.255.0"));
  EXPECT_EQ(chosen[1].address, inet_addr("192.168.137.1"));
}
