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
  for (int i = 1; i < count; ++i)  // args[0] is the program
    if (::lstrcmpiW(args[i], L"--tray") == 0) options.inTray = true;
  ::LocalFree(args);
  return options;
}
