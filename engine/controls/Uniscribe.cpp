// Uniscribe: usp10.dll loaded once, each missing function replaced by a soft failure.
#include "Uniscribe.h"

#include "ScopedWin.h"

namespace ZOV {

namespace {

HRESULT WINAPI NoDigitSubstitution(const SCRIPT_DIGITSUBSTITUTE*, SCRIPT_CONTROL*, SCRIPT_STATE*) {
  return E_NOTIMPL;
}
HRESULT WINAPI NoAnalyse(HDC, const void*, int, int, int, DWORD, int, SCRIPT_CONTROL*, SCRIPT_STATE*, const int*,
                         SCRIPT_TABDEF*, const BYTE*, SCRIPT_STRING_ANALYSIS*) {
  return E_NOTIMPL;
}
HRESULT WINAPI NoCPtoX(SCRIPT_STRING_ANALYSIS, int, BOOL, int*) { return E_NOTIMPL; }
HRESULT WINAPI NoXtoCP(SCRIPT_STRING_ANALYSIS, int, int*, int*) { return E_NOTIMPL; }
HRESULT WINAPI NoFree(SCRIPT_STRING_ANALYSIS*) { return E_NOTIMPL; }
const SCRIPT_LOGATTR* WINAPI NoLogAttr(SCRIPT_STRING_ANALYSIS) { return nullptr; }
const int* WINAPI NoOutChars(SCRIPT_STRING_ANALYSIS) { return nullptr; }

const UniscribeFunctions kMissing = {NoDigitSubstitution, NoAnalyse, NoCPtoX, NoXtoCP,
                                     NoFree, NoLogAttr, NoOutChars};

// The function of that name, or the replacement when the library or the name is missing.
template <class F>
void Take(HMODULE usp, const char* name, F& slot, F missing) {
  F f = usp ? win::ProcAddress<F>(usp, name) : nullptr;
  slot = f ? f : missing;
}

}  // namespace

const UniscribeFunctions& UniscribeMissing() { return kMissing; }

const UniscribeFunctions& Uniscribe() {
  static const UniscribeFunctions functions = [] {
    // Never freed: analyses made with it may outlive any one edit.
    HMODULE usp = ::LoadLibraryW(L"usp10.dll");
    UniscribeFunctions f;
    Take(usp, "ScriptApplyDigitSubstitution", f.ApplyDigitSubstitution, kMissing.ApplyDigitSubstitution);
    Take(usp, "ScriptStringAnalyse", f.StringAnalyse, kMissing.StringAnalyse);
    Take(usp, "ScriptStringCPtoX", f.StringCPtoX, kMissing.StringCPtoX);
    Take(usp, "ScriptStringXtoCP", f.StringXtoCP, kMissing.StringXtoCP);
    Take(usp, "ScriptStringFree", f.StringFree, kMissing.StringFree);
    Take(usp, "ScriptString_pLogAttr", f.String_pLogAttr, kMissing.String_pLogAttr);
    Take(usp, "ScriptString_pcOutChars", f.String_pcOutChars, kMissing.String_pcOutChars);
    return f;
  }();
  return functions;
}

}  // namespace ZOV
