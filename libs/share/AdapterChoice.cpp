#include "AdapterChoice.h"

#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cwctype>

namespace ShareLib {
namespace {

// IANA interface types that never lead to a phone.
const uint32_t kIfSoftwareLoopback = 24;
const uint32_t kIfPpp = 23;           // dial-up and most VPN clients
const uint32_t kIfPropVirtual = 53;   // proprietary virtual adapters
const uint32_t kIfTunnel = 131;       // Teredo, 6to4, IP-HTTPS, ...

// Lower-case parts of the names of virtual adapters' drivers and switches. Not "virtual"
// alone: the Wi-Fi Direct adapter behind the PC's own mobile hotspot is called that, and
// phones on the hotspot are reachable through it.
const wchar_t* const kVirtualNames[] = {
    L"hyper-v", L"vethernet", L"virtualbox", L"vmware", L"wsl", L"tap-windows", L"wintun",
    L"wireguard", L"zerotier", L"tailscale", L"npcap loopback", L"docker", L"vpn", L"anyconnect",
    L"fortinet", L"pangp", L"parallels",
};

std::wstring Lower(const std::wstring& s) {
  std::wstring out(s);
  for (wchar_t& c : out) c = (wchar_t)std::towlower(c);
  return out;
}

bool IsLinkLocal(uint32_t address) { return (ntohl(address) >> 16) == 0xA9FE; }  // 169.254/16
bool IsLoopback(uint32_t address) { return (ntohl(address) >> 24) == 127; }

}  // namespace

uint32_t PrefixToMask(unsigned length) {
  if (length == 0) return 0;
  if (length > 32) length = 32;
  return htonl(0xFFFFFFFFu << (32 - length));
}

bool IsKnownVirtualAdapter(const AdapterFacts& adapter) {
  if (adapter.ifType == kIfPpp || adapter.ifType == kIfPropVirtual || adapter.ifType == kIfTunnel) return true;
  std::wstring names = Lower(adapter.description) + L"|" + Lower(adapter.friendlyName);
  for (const wchar_t* v : kVirtualNames)
    if (names.find(v) != std::wstring::npos) return true;
  return false;
}

std::vector<LocalIPv4> ChoosePhoneAddresses(const std::vector<AdapterFacts>& adapters) {
  std::vector<LocalIPv4> withGateway, without;
  for (const AdapterFacts& a : adapters) {
    if (!a.up || a.ifType == kIfSoftwareLoopback || IsKnownVirtualAdapter(a)) continue;
    for (const auto& address : a.addresses) {
      uint32_t ip = address.first;
      if (ip == 0 || ip == INADDR_NONE || IsLoopback(ip) || IsLinkLocal(ip)) continue;
      (a.hasGateway ? withGateway : without).push_back({ip, PrefixToMask(address.second)});
    }
  }
  withGateway.insert(withGateway.end(), without.begin(), without.end());
  return withGateway;
}

}  // namespace ShareLib
