// EditTextRules: caret stops between user-perceived characters, and pasted text fitting.
#include "EditTextRules.h"

#include <windows.h>

namespace ZOV {

namespace {

bool IsHigh(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Units that attach to the character before them: non-spacing (combining) marks, variation
// selectors and the zero-width joiner.
bool Extends(wchar_t c) {
  if (c < 0x300) return false;  // quick path for Latin text
  if (c == 0x200D || (c >= 0xFE00 && c <= 0xFE0F)) return true;
  WORD type = 0;
  return ::GetStringTypeW(CT_CTYPE3, &c, 1, &type) && (type & C3_NONSPACING);
}

}  // namespace

bool IsCaretStop(const wchar_t* text, int length, int index) {
  if (index <= 0 || index >= length) return true;
  wchar_t before = text[index - 1], at = text[index];
  if (IsHigh(before) && IsLow(at)) return false;
  if (before == 0x200D) return false;  // the character joined to the one before
  return !Extends(at);
}

int PrevCaretStop(const wchar_t* text, int length, int index) {
  if (index > length) index = length + 1;
  int i = index - 1;
  while (i > 0 && !IsCaretStop(text, length, i)) --i;
  return i < 0 ? 0 : i;
}

int NextCaretStop(const wchar_t* text, int length, int index) {
  if (index < 0) index = -1;
  int i = index + 1;
  while (i < length && !IsCaretStop(text, length, i)) ++i;
  return i > length ? length : i;
}

int SnapCaretStop(const wchar_t* text, int length, int index) {
  if (index <= 0) return 0;
  if (index >= length) return length;
  return IsCaretStop(text, length, index) ? index : PrevCaretStop(text, length, index);
}

void CutAtFirstLineBreak(std::wstring& text) {
  size_t at = text.find_first_of(L"\r\n");
  if (at != std::wstring::npos) text.resize(at);
}

int FittingPrefix(const std::wstring& text, int room) {
  int length = (int)text.size();
  if (room >= length) return length;
  if (room <= 0) return 0;
  return SnapCaretStop(text.c_str(), length, room);
}

}  // namespace ZOV
