// Quillon.exe's firewall switches, for the installer: "--allow-firewall" adds the inbound rules
// of FirewallRules.h for this program (replacing older ones of the same names),
// "--remove-firewall" removes them. Both need administrator rights, do their job and end the
// process without any window.
#pragma once

#include <string>
#include <vector>

#include "FirewallRules.h"
#include "StartOptions.h"

namespace firewall {

// Exit codes of the switches.
const int kOk = 0;
const int kFailed = 1;       // the firewall refused or is not there
const int kNeedsAdmin = 2;   // access denied: run elevated
const int kBadSwitch = 3;    // a firewall switch with something after it

// Called first thing by the entry point with its command line's options. Returns false,
// doing nothing, when they hold no firewall switch; otherwise performs it,
// writes one line saying what happened to the standard error (or the parent's console), and
// stores the exit code.
bool HandleCommandLine(const StartOptions& options, int* exitCode);

// The work behind the switches, through the firewall's COM interfaces (INetFwPolicy2). The
// message says what went wrong, in words for the person who ran the installer.
int AddRules(const std::vector<Rule>& rules, std::wstring* message);
int RemoveRules(const std::vector<std::wstring>& names, std::wstring* message);

// For the window's "Allow Quillon on this network": runs this program with --allow-firewall,
// elevated (Windows asks the user once), and waits for it (bounded). Its exit code, or -1 when
// it could not be started (the user said no) or did not end in time.
int AllowElevated();

}  // namespace firewall
