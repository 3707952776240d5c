// Text rules of the single-line edit, apart from any window: where the caret may stand (never
// inside a surrogate pair or before a combining mark) and how pasted text is fitted.
#pragma once

#include <string>

namespace ZOV {

// Whether the caret may stand before text[index]; 0 and length always qualify.
bool IsCaretStop(const wchar_t* text, int length, int index);
// The nearest caret stop before index (0 at least), after it (length at most), and index
// itself or the stop before it.
int PrevCaretStop(const wchar_t* text, int length, int index);
int NextCaretStop(const wchar_t* text, int length, int index);
int SnapCaretStop(const wchar_t* text, int length, int index);

// Pasted text for a single line: everything from the first line break on is dropped, as the
// system's single-line edit does.
void CutAtFirstLineBreak(std::wstring& text);

// How many units of text fit into room without cutting a character or a cluster apart.
int FittingPrefix(const std::wstring& text, int room);

}  // namespace ZOV
