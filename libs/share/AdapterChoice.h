// Which of the PC's adapters can reach phones on the local network: pure rules over what the
// adapter list says, kept apart from the system query so that they can be tested with any list.
#pragma once

#include <stdint.h>

#include <string>
#include <utility>
#include <vector>

#include "share.h"

namespace ShareLib {

struct AdapterFacts {
  std::wstring description;   // as the system names the hardware or driver
  std::wstring friendlyName;  // as the user sees it in the network settings
  uint32_t ifType = 0;        // IANA interface type (IF_TYPE_*)
  bool up = false;
  bool hasGateway = false;    // an IPv4 default gateway
  // Unicast IPv4 addresses (network order) with their on-link prefix lengths.
  std::vector<std::pair<uint32_t, unsigned>> addresses;
};

// Hypervisor switches, host-only networks, VPN and tunnel drivers: no phone is on them.
bool IsKnownVirtualAdapter(const AdapterFacts& adapter);
// The addresses to announce on, best first: adapters that are up and not virtual, unicast
// addresses that are neither loopback nor link-local; adapters with a default gateway first,
// otherwise in the system's order.
std::vector<LocalIPv4> ChoosePhoneAddresses(const std::vector<AdapterFacts>& adapters);
// The mask of a prefix length, network order.
uint32_t PrefixToMask(unsigned length);

}  // namespace ShareLib
