// Where a dropped file goes: the extension table (lower-case extension with its dot ->
// category), the phone folder of each category, and the remote path under "/sdcard/".
#pragma once

#include <map>
#include <string>

enum FileCategory {
  kCategoryApk = 0,      // installed, not pushed
  kCategoryPicture = 1,  // "DCIM/"
  kCategoryMusic = 2,    // "music/"
  kCategoryVideo = 3,    // "video/"
  kCategoryBook = 4,     // "ebook/"
  kCategoryOther = 5,    // "fernavoy/": not in the table
};

typedef std::map<std::string, int> ExtensionTable;

void BuildExtensionTable(ExtensionTable& table);

// The category of an extension with its dot ("" for none), matched in lower case;
// kCategoryOther for an unknown one.
int CategoryOfExtension(const ExtensionTable& table, std::string extension);

// The category of a path by its extension (from the last dot of the last path element),
// matched in lower case; kCategoryOther when it has none or an unknown one.
int CategoryOfPath(const ExtensionTable& table, const std::wstring& path);

// "DCIM/", "music/", ...; "fernavoy/" for any category without a folder of its own.
const char* CategoryFolder(int category);

// "/sdcard/" + the category's folder + the path's file name (its case kept).
std::wstring RemotePathFor(int category, const std::wstring& localPath);
