// The category and remote path of a local file: the path is taken apart by the shell's rules.
#include "ExtensionTable.h"

#include <windows.h>
#include <shlwapi.h>

#include <TextConv.h>

int CategoryOfPath(const ExtensionTable& table, const std::wstring& path) {
  return CategoryOfExtension(table, text::WideToAnsi(PathFindExtensionW(path.c_str())));
}

std::wstring RemotePathFor(int category, const std::wstring& localPath) {
  return L"/sdcard/" + text::Utf8ToWide(CategoryFolder(category)) + PathFindFileNameW(localPath.c_str());
}
