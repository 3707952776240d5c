// The extension table and the category folders: see ExtensionTable.h. Pure text work; the
// path handling that needs the system is in ExtensionPath.cpp.
#include "ExtensionTable.h"

#include <ctype.h>

void BuildExtensionTable(ExtensionTable& table) {
  static const struct {
    int category;
    const char* extensions[14];
  } kRows[] = {
      {kCategoryApk, {".apk"}},
      {kCategoryPicture, {".png", ".jpg", ".jpeg", ".bmp", ".wbmp", ".ico", ".gif"}},
      {kCategoryMusic, {".mp3", ".ogg", ".mid", ".midi", ".wav", ".dcf"}},
      // ".wma" sits with the videos.
      {kCategoryVideo,
       {".rm", ".rmvb", ".avi", ".3gp", ".asf", ".mpg", ".mpeg", ".wm", ".wma", ".wmp", ".wmv", ".flv"}},
      {kCategoryBook,
       {".pdf", ".chm", ".txt", ".ceb", ".epub", ".umd", ".pdg", ".tcr", ".rtf", ".pdb", ".jar", ".doc", ".docx"}},
  };
  table.clear();
  for (const auto& row : kRows)
    for (const char* ext : row.extensions)
      if (ext) table[ext] = row.category;
}

int CategoryOfExtension(const ExtensionTable& table, std::string ext) {
  for (char& c : ext) c = (char)tolower((unsigned char)c);
  auto it = table.find(ext);
  return it == table.end() ? kCategoryOther : it->second;
}

const char* CategoryFolder(int category) {
  switch (category) {
    case kCategoryPicture: return "DCIM/";
    case kCategoryMusic: return "music/";
    case kCategoryVideo: return "video/";
    case kCategoryBook: return "ebook/";
    default: return "fernavoy/";
  }
}
