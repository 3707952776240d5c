// The firewall rules the installer asks Quillon.exe for, and the switches that apply them.
#include <gtest/gtest.h>
#include <windows.h>

#include "Firewall.h"

using namespace firewall;

TEST(Firewall, RulesLetThePhonePortsInFromTheLocalSubnetForThisProgramOnly) {
  const std::wstring exe = L"C:\\Program Files\\Quillon\\Quillon.exe";
  std::vector<Rule> rules = QuillonRules(exe);
  ASSERT_EQ(rules.size(), 2u);
  EXPECT_TRUE(rules[0].protocol == kProtocolUdp && rules[0].localPorts == L"9755");
  EXPECT_TRUE(rules[1].protocol == kProtocolTcp && rules[1].localPorts == L"15548");
  for (const Rule& r : rules) {
    EXPECT_TRUE(r.program == exe && r.remoteAddresses == L"LocalSubnet" && r.direction == kDirectionIn &&
                r.action == kActionAllow);
    EXPECT_EQ(r.profiles, kProfilePrivate | kProfileDomain) << "never on public networks";
  }
  EXPECT_EQ(QuillonRuleNames(), (std::vector<std::wstring>{rules[0].name, rules[1].name}));
  // A rule for a relative or quoted path would match some other program, or none.
  EXPECT_TRUE(QuillonRules(L"Quillon.exe").empty());
  EXPECT_TRUE(QuillonRules(L"\"C:\\Quillon.exe\"").empty());
}

// Other command lines are the program's; a switch with company is refused. What the system's
// firewall answers: on Windows, elevated, both succeed; elsewhere a clear message and one of
// the documented codes, never a crash.
TEST(Firewall, SwitchesAndTheFirewallsAnswers) {
  int code = -1;
  EXPECT_FALSE(HandleCommandLine(ParseStartOptions(L"Quillon.exe --other --tray"), &code));
  EXPECT_TRUE(HandleCommandLine(ParseStartOptions(L"Quillon.exe --allow-firewall --remove-firewall"), &code));
  EXPECT_EQ(code, kBadSwitch);
  std::wstring message;
  int added = AddRules(QuillonRules(L"C:\\Quillon\\Quillon.exe"), &message);
  printf("add: %d %ls\n", added, message.c_str());
  int removed = RemoveRules(QuillonRuleNames(), &message);
  printf("remove: %d %ls\n", removed, message.c_str());
  for (int c : {added, removed}) EXPECT_TRUE(c == kOk || c == kFailed || c == kNeedsAdmin);
  EXPECT_FALSE(message.empty());
}
