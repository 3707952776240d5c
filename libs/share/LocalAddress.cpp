// The PC's own IPv4 address and mask: the first unicast address of the first working
// adapter that is not the loopback.
#include "share.h"

#include <iphlpapi.h>

#include <vector>

namespace ShareLib {
namespace {

uint32_t PrefixToMask(unsigned length) {
  if (length == 0) return 0;
  if (length > 32) length = 32;
  return htonl(0xFFFFFFFFu << (32 - length));
}

bool FindAdapterAddress(uint32_t* address, uint32_t* mask) {
  const ULONG flags = GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
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
    if (a->IfType == IF_TYPE_SOFTWARE_LOOPBACK || a->OperStatus != IfOperStatusUp) continue;
    for (IP_ADAPTER_UNICAST_ADDRESS* u = a->FirstUnicastAddress; u; u = u->Next) {
      const sockaddr* sa = u->Address.lpSockaddr;
      if (!sa || sa->sa_family != AF_INET) continue;
      uint32_t ip = reinterpret_cast<const sockaddr_in*>(sa)->sin_addr.s_addr;
      if (ip == 0 || (ntohl(ip) >> 24) == 127) continue;
      *address = ip;
      *mask = PrefixToMask(u->OnLinkPrefixLength);
      return true;
    }
  }
  return false;
}

}  // namespace

bool GetIPandMask(uint32_t* address, uint32_t* mask) {
  uint32_t ip = 0, netmask = 0;
  bool found = false;
  try {
    found = FindAdapterAddress(&ip, &netmask);
  } catch (...) {
  }
  if (!found) {  // no network: the loopback, so that callers still get a usable address
    ip = htonl(INADDR_LOOPBACK);
    netmask = htonl(0xFF000000u);
  }
  if (address) *address = ip;
  if (mask) *mask = netmask;
  return found;
}

}  // namespace ShareLib
