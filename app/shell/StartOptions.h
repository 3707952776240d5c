// The switches Quillon.exe understands on its command line. Anything else is ignored: a
// shortcut or Explorer may pass arguments of its own, and the program should still start.
#pragma once

struct StartOptions {
  bool inTray = false;  // --tray: start in the notification area, the window hidden (sign-in)
};

StartOptions ParseStartOptions(const wchar_t* commandLine);
