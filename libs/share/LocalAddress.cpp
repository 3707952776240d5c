// The PC's own IPv4 addresses: those that can reach phones (chosen by AdapterChoice), the best
// of them, and whether an address is the PC's own at all.
#include "share.h"

#include <iphlpapi.h>

#include <vector>

#include "AdapterChoice.h"

namespace ShareLib {
namespace {

// Every adapter the system lists, with its IPv4 unicast addresses; false when the query failed.
bool QueryAdapters(std::vector<AdapterFacts>* adapters) {
  const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER |
                      GAA_FLAG_INCLUDE_GATEWAYS;
  ULONG size = 16 * 1024;
  std::vector<unsigned char> buffer;
  ULONG result = ERROR_BUFFER_OVERFLOW;
  for (int attempt = 0; attempt < 3 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
    buffer.resize(size);  // size grows to what the previous call asked for
    result = GetAdaptersAddresses(AF_INET, flags, nullptr,
                                  reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
  }
  if (result != NO_ERROR) return false;

  for (auto* a = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); a; a = a->Next) {
    AdapterFacts facts;
    if (a->Description) facts.description = a->Description;
    if (a->FriendlyName) facts.friendlyName = a->FriendlyName;
    facts.ifType = a->IfType;
    facts.up = a->OperStatus == IfOperStatusUp;
    for (IP_ADAPTER_GATEWAY_ADDRESS_LH* g = a->FirstGatewayAddress; g; g = g->Next) {
      const sockaddr* sa = g->Address.lpSockaddr;
      if (sa && sa->sa_family == AF_INET && reinterpret_cast<const sockaddr_in*>(sa)->sin_addr.s_addr != 0)
        facts.hasGateway = true;
    }
    for (IP_ADAPTER_UNICAST_ADDRESS* u = a->FirstUnicastAddress; u; u = u->Next) {
      const sockaddr* sa = u->Address.lpSockaddr;
      if (!sa || sa->sa_family != AF_INET) continue;
      facts.addresses.emplace_back(reinterpret_cast<const sockaddr_in*>(sa)->sin_addr.s_addr,
                                   (unsigned)u->OnLinkPrefixLength);
    }
    adapters->push_back(std::move(facts));
  }
  return true;
}

}  // namespace

int GetPhoneAddresses(LocalIPv4* out, int max) {
  try {
    std::vector<AdapterFacts> adapters;
    if (!QueryAdapters(&adapters)) return 0;
    std::vector<LocalIPv4> chosen = ChoosePhoneAddresses(adapters);
    int n = 0;
    for (; n < max && n < (int)chosen.size(); ++n) out[n] = chosen[n];
    return n;
  } catch (...) {
    return 0;
  }
}

bool GetIPandMask(uint32_t* address, uint32_t* mask) {
  LocalIPv4 best = {htonl(INADDR_LOOPBACK), htonl(0xFF000000u)};
  // No network: the loopback, so that callers still get a usable address.
  bool found = GetPhoneAddresses(&best, 1) == 1;
  if (address) *address = best.address;
  if (mask) *mask = best.mask;
  return found;
}

bool IsOwnAddress(uint32_t address) {
  if ((ntohl(address) >> 24) == 127) return true;
  try {
    std::vector<AdapterFacts> adapters;
    if (!QueryAdapters(&adapters)) return false;
    for (const AdapterFacts& a : adapters)
      for (const auto& own : a.addresses)
        if (own.first == address) return true;
  } catch (...) {
  }
  return false;
}

}  // namespace ShareLib
