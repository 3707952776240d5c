#include "FirewallRules.h"

#include "LanFinder.h"

namespace firewall {
namespace {

const wchar_t kGrouping[] = L"Quillon";

Rule Inbound(const wchar_t* name, const wchar_t* what, long protocol, unsigned port, const std::wstring& program) {
  Rule r;
  r.name = name;
  r.description = std::wstring(L"Lets phones on the local network ") + what + L" Quillon.";
  r.grouping = kGrouping;
  r.program = program;
  r.protocol = protocol;
  r.localPorts = std::to_wstring(port);
  r.remoteAddresses = L"LocalSubnet";
  r.profiles = kProfileDomain | kProfilePrivate;
  r.direction = kDirectionIn;
  r.action = kActionAllow;
  return r;
}

bool IsFullPath(const std::wstring& p) {
  bool drive = p.size() > 3 && p[1] == L':' && (p[2] == L'\\' || p[2] == L'/');
  bool unc = p.size() > 2 && p[0] == L'\\' && p[1] == L'\\';
  return (drive || unc) && p.find(L'"') == std::wstring::npos;
}

}  // namespace

std::vector<Rule> QuillonRules(const std::wstring& programPath) {
  if (!IsFullPath(programPath)) return {};
  return {Inbound(L"Quillon phone discovery (UDP)", L"announce themselves to", kProtocolUdp,
                  CLanFinder::kDiscoveryPort, programPath),
          Inbound(L"Quillon phone link (TCP)", L"connect to", kProtocolTcp, CLanFinder::kListenPort, programPath)};
}

std::vector<std::wstring> QuillonRuleNames() {
  std::vector<std::wstring> names;
  for (const Rule& r : QuillonRules(L"C:\\Quillon.exe")) names.push_back(r.name);
  return names;
}

}  // namespace firewall
