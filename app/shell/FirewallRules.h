// The inbound firewall rules that let phones on the local network reach Quillon: plain records,
// made without touching the system, so that what is asked of the firewall can be checked.
#pragma once

#include <string>
#include <vector>

namespace firewall {

// Values as the firewall's interfaces take them (NET_FW_* of icftypes.h).
const long kProtocolTcp = 6;
const long kProtocolUdp = 17;
const long kProfileDomain = 0x1;
const long kProfilePrivate = 0x2;
const long kDirectionIn = 1;
const long kActionAllow = 1;

struct Rule {
  std::wstring name;         // unique among Quillon's rules; also how they are removed
  std::wstring description;
  std::wstring grouping;     // shown as the rules' group in the firewall's settings
  std::wstring program;      // full path of Quillon.exe
  long protocol = 0;
  std::wstring localPorts;
  std::wstring remoteAddresses;
  long profiles = 0;
  long direction = 0;
  long action = 0;
};

// The discovery port (UDP) and the control listener (TCP), inbound, allowed for the program
// only, from the local subnet only, on private and domain networks. Not on public networks:
// any stranger on a café's Wi-Fi could otherwise link as a "phone" and hear the PC's sound;
// the window tells the user to mark the home network private instead. Empty when the path is
// not a full path.
std::vector<Rule> QuillonRules(const std::wstring& programPath);
// Names of every rule QuillonRules makes (what removal looks for).
std::vector<std::wstring> QuillonRuleNames();

}  // namespace firewall
