// Reading a drop handle: see DropFiles.h.
#include "DropFiles.h"

std::vector<std::wstring> ReadDropPaths(HDROP drop) {
  std::vector<std::wstring> paths;
  if (!drop) return paths;
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    // The length first: a fixed 260-character buffer would cut a long path short, and a cut
    // path can name another file.
    UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(length + 1, L'\0');
    UINT got = DragQueryFileW(drop, i, &path[0], length + 1);
    path.resize(got);
    paths.push_back(path);
  }
  return paths;
}
