// The paths in a shell drop handle, each read at its full length.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

// Every path of the drop, in order. Does not release the handle.
std::vector<std::wstring> ReadDropPaths(HDROP drop);
