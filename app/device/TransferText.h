// Small rules of the transfer tasks: the push percent, and local paths for the device bridge
// library, which takes them in the thread's ANSI code page.
#pragma once

#include <stdint.h>
#include <string>

// done x 100 / total in 64-bit arithmetic, truncated toward zero and kept within 0..100; a
// total of 0 or less (an empty file) counts as complete.
int PushPercent(int64_t done, int64_t total);

// The path in the thread's ANSI code page, only when every character converts exactly: a
// lossy conversion ("?" or a best-fit look-alike) could name another file.
bool ToAnsiExact(const std::wstring& path, std::string& ansi);

// A path the device bridge library can open: the path itself in the ANSI code page when it
// converts exactly, else its short (8.3) form, which the file system spells in ASCII where it
// keeps short names. False when neither converts exactly.
bool ToAnsiPath(const std::wstring& path, std::string& ansi);
