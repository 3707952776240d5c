// The switches Quillon.exe understands on its command line, read once by the entry point.
// Anything else is ignored: a shortcut or Explorer may pass arguments of its own, and the
// program should still start.
#pragma once

const wchar_t kTraySwitch[] = L"--tray";
const wchar_t kAllowFirewallSwitch[] = L"--allow-firewall";
const wchar_t kRemoveFirewallSwitch[] = L"--remove-firewall";

struct StartOptions {
  bool inTray = false;          // --tray: start in the notification area, the window hidden (sign-in)
  bool allowFirewall = false;   // --allow-firewall and --remove-firewall: the installer's, see
  bool removeFirewall = false;  // Firewall.h; they do their job and end the process
  int argumentCount = 0;        // arguments after the program's own name, switches or not
};

StartOptions ParseStartOptions(const wchar_t* commandLine);
