// A shell drop handle built in memory (DROPFILES with wide paths), as a drop on a window
// delivers it. The receiver releases it with DragFinish.
#pragma once

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <climits>
#include <string>
#include <vector>

#include "ScriptValue.h"

inline HDROP MakeDropHandle(const std::vector<std::wstring>& paths) {
  size_t chars = 1;  // the list ends with an empty string
  for (const std::wstring& p : paths) chars += p.size() + 1;
  HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + chars * sizeof(wchar_t));
  if (!memory) return nullptr;
  DROPFILES* header = static_cast<DROPFILES*>(GlobalLock(memory));
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  wchar_t* out = reinterpret_cast<wchar_t*>(header + 1);
  for (const std::wstring& p : paths) {
    memcpy(out, p.c_str(), (p.size() + 1) * sizeof(wchar_t));
    out += p.size() + 1;
  }
  *out = L'\0';
  GlobalUnlock(memory);
  return static_cast<HDROP>(memory);
}

// The handle as a script hands it to "HandleDropFiles": an integer, or a number above 2^31.
inline ScriptValue DropScriptValue(HDROP drop) {
  uintptr_t v = reinterpret_cast<uintptr_t>(drop);
  return v <= INT_MAX ? ScriptValue(static_cast<int>(v)) : ScriptValue::Number(static_cast<double>(v));
}
