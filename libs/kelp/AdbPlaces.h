// Where adb.exe may be installed, worked out from plain environment values, so the rules can be
// tested without touching the file system. AdbServerStart.cpp reads the real values.
#pragma once

#include <string>
#include <vector>

namespace kelp {

// The values the search looks at; any may be empty.
struct AdbPlaces {
  std::wstring programDir;       // the running program's folder
  std::wstring path;             // PATH
  std::wstring androidHome;      // ANDROID_HOME
  std::wstring androidSdkRoot;   // ANDROID_SDK_ROOT (older name of the same)
  std::wstring localAppData;     // LOCALAPPDATA
  std::wstring programFiles;     // ProgramFiles
  std::wstring programFilesX86;  // ProgramFiles(x86)
};

// Full paths of adb.exe to try, in this order: beside the program (and in a platform-tools
// folder beside it), each PATH folder (the adb the user runs in a console, so the server and
// the user's client agree on the version), the SDK named by ANDROID_HOME and
// ANDROID_SDK_ROOT, Android Studio's default SDK (%LOCALAPPDATA%\Android\Sdk), winget's
// links folder, and the old SDK installer's folder under Program Files.
// Only absolute folders count (a relative PATH entry would pick a program from whatever the
// current folder is); entries with unexpanded %VARIABLES% are skipped; no path repeats
// (compared ignoring case).
std::vector<std::wstring> AdbCandidates(const AdbPlaces& places);

}  // namespace kelp
