// The Uniscribe functions the edit measures text with, taken from usp10.dll at run time.
// Functions the system lacks are replaced by ones that fail softly (E_NOTIMPL, or null for the
// attribute getters), so that measurement and word movement just do nothing.
#pragma once

#include <windows.h>
#include <usp10.h>

namespace ZOV {

struct UniscribeFunctions {
  HRESULT(WINAPI* ApplyDigitSubstitution)(const SCRIPT_DIGITSUBSTITUTE*, SCRIPT_CONTROL*, SCRIPT_STATE*);
  HRESULT(WINAPI* StringAnalyse)(HDC, const void*, int, int, int, DWORD, int, SCRIPT_CONTROL*, SCRIPT_STATE*,
                                 const int*, SCRIPT_TABDEF*, const BYTE*, SCRIPT_STRING_ANALYSIS*);
  HRESULT(WINAPI* StringCPtoX)(SCRIPT_STRING_ANALYSIS, int, BOOL, int*);
  HRESULT(WINAPI* StringXtoCP)(SCRIPT_STRING_ANALYSIS, int, int*, int*);
  HRESULT(WINAPI* StringFree)(SCRIPT_STRING_ANALYSIS*);
  const SCRIPT_LOGATTR*(WINAPI* String_pLogAttr)(SCRIPT_STRING_ANALYSIS);
  const int*(WINAPI* String_pcOutChars)(SCRIPT_STRING_ANALYSIS);
};

// Loads usp10.dll on the first call (UI thread) and keeps it for the life of the process.
const UniscribeFunctions& Uniscribe();

// The replacements alone, as the edit sees them on a system without usp10.dll.
const UniscribeFunctions& UniscribeMissing();

}  // namespace ZOV
