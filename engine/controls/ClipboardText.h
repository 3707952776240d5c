// The clipboard as Unicode text (CF_UNICODETEXT), for the edit's copy, cut and paste.
#pragma once

#include <windows.h>

#include <string>

namespace ZOV {

// Replaces the clipboard's contents with count units of text; false when the clipboard can't
// be opened or the memory can't be had.
bool PutClipboardText(HWND owner, const wchar_t* text, int count);
// The clipboard's Unicode text, up to its terminator; false when there is none or the
// clipboard can't be opened.
bool GetClipboardText(HWND owner, std::wstring* text);

}  // namespace ZOV
