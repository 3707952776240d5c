// The firewall rules the installer asks Quillon.exe for, and the switches that apply them.
#include <gtest/gtest.h>
#include <windows.h>

#include "Firewall.h"
#include "FirewallRules.h"

using namespace firewall;

TEST(Firewall, RulesLetThePhonePortsInFromTheLocalSubnetForThisProgramOnly) {
  const std::wstring exe = L"C:\\Program Files\\Quillon\\Quillon.exe";
  std::vector<Rule> rules = QuillonRules(exe);
  ASSERT_EQ(rules.size(), 2u);
  EXPECT_EQ(rules[0].protocol, kProtocolUdp);
  EXPECT_EQ(rules[0].localPorts, L"9755");
  EXPECT_EQ(rules[1].protocol, kProtocolTcp);
  EXPECT_EQ(rules[1].localPorts, L"15548");
  for (const Rule& r : rules) {
    EXPECT_EQ(r.program, exe);
    EXPECT_EQ(r.remoteAddresses, L"LocalSubnet");
    EXPECT_EQ(r.profiles, kProfilePrivate | kProfileDomain) << "never on public networks";
    EXPECT_EQ(r.direction, kDirectionIn);
    EXPECT_EQ(r.action, kActionAllow);
  }
  EXPECT_NE(rules[0].name, rules[1].name);
  EXPECT_EQ(QuillonRuleNames(), (std::vector<std::wstring>{rules[0].name, rules[1].name}));
  // A rule for a relative or quoted path would match some other program, or none.
  EXPECT_TRUE(QuillonRules(L"Quillon.exe").empty());
  EXPECT_TRUE(QuillonRules(L"\"C:\\Quillon.exe\"").empty());
}

TEST(Firewall, SwitchesAreHandledAloneAndOtherCommandLinesAreLeftToTheProgram) {
  int code = -1;
  EXPECT_FALSE(HandleCommandLine(L"Quillon.exe", &code));
  EXPECT_FALSE(HandleCommandLine(L"Quillon.exe --other", &code));
  EXPECT_TRUE(HandleCommandLine(L"Quillon.exe --allow-firewall --remove-firewall", &code));
  EXPECT_EQ(code, kBadSwitch);
}

// What this system's firewall answers: on Windows, run elevated, both succeed; elsewhere each
// must end with a clear message and one of the documented codes, never a crash.
TEST(Firewall, AddingAndRemovingEndWithAClearAnswer) {
  std::wstring message;
  int added = AddRules(QuillonRules(L"C:\\Quillon\\Quillon.exe"), &message);
  printf("add: %d %ls\n", added, message.c_str());
  EXPECT_TRUE(added == kOk || added == kFailed || added == kNeedsAdmin);
  EXPECT_FALSE(message.empty());
  int removed = RemoveRules(QuillonRuleNames(), &message);
  printf("remove: %d %ls\n", removed, message.c_str());
  EXPECT_TRUE(removed == kOk || removed == kFailed || removed == kNeedsAdmin);
  EXPECT_FALSE(message.empty());
}
