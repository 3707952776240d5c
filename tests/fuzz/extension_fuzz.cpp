// The extension table: any extension maps to a category that has a folder, and case does not
// change the category.
#include <ctype.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "ExtensionTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ExtensionTable table;
  if (table.empty()) BuildExtensionTable(table);
  std::string ext(reinterpret_cast<const char*>(data), size);
  int category = CategoryOfExtension(table, ext);
  if (category < kCategoryApk || category > kCategoryOther) abort();
  const char* folder = CategoryFolder(category);
  if (!folder || folder[strlen(folder) - 1] != '/') abort();
  for (char& c : ext) c = (char)toupper((unsigned char)c);
  if (CategoryOfExtension(table, ext) != category) abort();
  return 0;
}
