// Reading Quillon.exe's command line.
#include "StartOptions.h"

#include <windows.h>
#include <shellapi.h>

StartOptions ParseStartOptions(const wchar_t* commandLine) {
  StartOptions options;
  if (!commandLine || !*commandLine) return options;
  int count = 0;
  LPWSTR* args = ::CommandLineToArgvW(commandLine, &count);
  if (!args) return options;
  options.argumentCount = count > 1 ? count - 1 : 0;
  for (int i = 1; i < count; ++i) {  // args[0] is the program
    options.inTray |= ::lstrcmpiW(args[i], kTraySwitch) == 0;
    options.allowFirewall |= ::lstrcmpiW(args[i], kAllowFirewallSwitch) == 0;
    options.removeFirewall |= ::lstrcmpiW(args[i], kRemoveFirewallSwitch) == 0;
  }
  ::LocalFree(args);
  return options;
}
