// CTextBuffer: the edit's text — a zero-terminated UTF-16 array that grows by the edit's rules
// up to 0xFFFE units — and its Uniscribe analysis, redone lazily after each change, which
// maps between character positions and x offsets and finds word boundaries.
#pragma once

#include <windows.h>
#include <usp10.h>

#include <memory>

#include "Uniscribe.h"

namespace ZOV {

class CTextBuffer {
 public:
  static const int kMaxCapacity = 0xFFFF;  // units, terminator included
  static const int kMaxLength = 0xFFFE;

  // usp: the functions to measure with (tests pass the replacements of a missing usp10.dll).
  explicit CTextBuffer(const UniscribeFunctions& usp = Uniscribe());
  ~CTextBuffer();
  CTextBuffer(const CTextBuffer&) = delete;
  CTextBuffer& operator=(const CTextBuffer&) = delete;

  // Grows the array: 256 units from nothing; otherwise twice the capacity when n is -1 or less
  // than that, else twice n; never beyond kMaxCapacity. False when it is that size already.
  bool SetBufferSize(int n);
  // False for an index outside 0..length or a text at kMaxLength.
  bool InsertChar(int index, wchar_t ch);
  // count -1: up to the terminator. False (and nothing inserted) for an index outside
  // 0..length or when the text would pass kMaxLength.
  bool InsertString(int index, const wchar_t* text, int count);
  bool RemoveChar(int index);
  // Removes count units at index; false when they are not all inside the text.
  bool RemoveRange(int index, int count);
  // Overwrites the unit at index (0..length - 1).
  bool SetChar(int index, wchar_t ch);
  void Clear();

  const wchar_t* GetText() const { return m_text ? m_text.get() : L""; }
  int GetLength() const { return m_length; }
  int GetCapacity() const { return m_capacity; }

  // Measurement with the font selected in hdc; each analyses first when the text changed.
  // CPtoX: the x offset of a position's leading or trailing edge (0, and false, on failure).
  bool CPtoX(HDC hdc, int index, bool trailing, int* x);
  // XtoCP: the position under x, with whether x lies in its trailing half; positions are
  // clamped to 0..length.
  bool XtoCP(HDC hdc, int x, int* index, bool* trailing);
  // The start of the word before index (0 when none) and of the next word after it (the
  // length when none). Without an analysis they stay where they are.
  int GetPriorItemPos(HDC hdc, int index);
  int GetNextItemPos(HDC hdc, int index);

 private:
  bool Analyse(HDC hdc);
  bool EnsureAnalysis(HDC hdc) { return !m_stale || Analyse(hdc); }
  void FreeAnalysis();

  const UniscribeFunctions& m_usp;
  std::unique_ptr<wchar_t[]> m_text;
  int m_capacity = 0;
  int m_length = 0;
  bool m_stale = true;
  SCRIPT_STRING_ANALYSIS m_analysis = nullptr;  // owned; freed with ScriptStringFree
};

}  // namespace ZOV
