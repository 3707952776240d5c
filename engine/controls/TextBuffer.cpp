// CTextBuffer: growth, editing and Uniscribe measurement of the edit's text.
#include "TextBuffer.h"

#include <cstring>
#include <cwchar>

namespace ZOV {

namespace {
// SSA_BREAK | SSA_GLYPHS | SSA_FALLBACK | SSA_LINK: logical attributes for word movement,
// glyph shaping with font fallback and linking for text the font lacks (CJK in a Latin font).
const DWORD kAnalyseFlags = SSA_BREAK | SSA_GLYPHS | SSA_FALLBACK | SSA_LINK;
}  // namespace

CTextBuffer::CTextBuffer(const UniscribeFunctions& usp) : m_usp(usp) { SetBufferSize(1); }

CTextBuffer::~CTextBuffer() { FreeAnalysis(); }

bool CTextBuffer::SetBufferSize(int n) {
  if (m_capacity >= kMaxCapacity) return false;
  int capacity;
  if (m_capacity == 0)
    capacity = 256;
  else if (n == -1 || n < 2 * m_capacity)
    capacity = 2 * m_capacity;
  else
    capacity = n > kMaxCapacity ? 2 * kMaxCapacity : 2 * n;
  if (capacity > kMaxCapacity) capacity = kMaxCapacity;
  std::unique_ptr<wchar_t[]> text(new wchar_t[capacity]());
  if (m_text) std::memcpy(text.get(), m_text.get(), (m_length + 1) * sizeof(wchar_t));
  m_text = std::move(text);
  m_capacity = capacity;
  return true;
}

bool CTextBuffer::InsertChar(int index, wchar_t ch) { return InsertString(index, &ch, 1); }

bool CTextBuffer::InsertString(int index, const wchar_t* text, int count) {
  if (!text || index < 0 || index > m_length) return false;
  if (count < 0) count = (int)std::wcslen(text);
  if (count > kMaxLength - m_length) return false;
  // The growth rule may fall short of a long insertion: grow until it fits.
  while (m_length + count + 1 > m_capacity)
    if (!SetBufferSize(m_length + count + 1)) return false;
  wchar_t* at = m_text.get() + index;
  std::memmove(at + count, at, (m_length - index + 1) * sizeof(wchar_t));
  std::memcpy(at, text, count * sizeof(wchar_t));
  m_length += count;
  m_stale = true;
  return true;
}

bool CTextBuffer::RemoveChar(int index) { return RemoveRange(index, 1); }

bool CTextBuffer::RemoveRange(int index, int count) {
  if (count <= 0 || index < 0 || index >= m_length || count > m_length - index) return false;
  wchar_t* at = m_text.get() + index;
  std::memmove(at, at + count, (m_length - index - count + 1) * sizeof(wchar_t));
  m_length -= count;
  m_stale = true;
  return true;
}

bool CTextBuffer::SetChar(int index, wchar_t ch) {
  if (index < 0 || index >= m_length) return false;
  m_text[index] = ch;
  m_stale = true;
  return true;
}

void CTextBuffer::Clear() {
  if (m_length) RemoveRange(0, m_length);
}

void CTextBuffer::FreeAnalysis() {
  if (m_analysis) m_usp.StringFree(&m_analysis);
  m_analysis = nullptr;
}

bool CTextBuffer::Analyse(HDC hdc) {
  FreeAnalysis();
  SCRIPT_CONTROL control = {};
  SCRIPT_STATE state = {};
  m_usp.ApplyDigitSubstitution(nullptr, &control, &state);  // null: the user's locale
  // The terminator is analysed too: an empty text then still has a position 0 with an x, and
  // the end of any text is a position like the others.
  int units = m_length + 1;
  HRESULT hr = m_usp.StringAnalyse(hdc, GetText(), units, units * 3 / 2 + 16, -1, kAnalyseFlags, 0, &control,
                                   &state, nullptr, nullptr, nullptr, &m_analysis);
  if (FAILED(hr)) {
    m_analysis = nullptr;
    return false;
  }
  m_stale = false;
  return true;
}

bool CTextBuffer::CPtoX(HDC hdc, int index, bool trailing, int* x) {
  *x = 0;
  if (!EnsureAnalysis(hdc)) return false;
  if (index < 0) index = 0;
  if (index > m_length) index = m_length;
  return SUCCEEDED(m_usp.StringCPtoX(m_analysis, index, trailing, x));
}

bool CTextBuffer::XtoCP(HDC hdc, int x, int* index, bool* trailing) {
  *index = 0;
  *trailing = false;
  if (!EnsureAnalysis(hdc)) return false;
  int cp = 0, trail = 0;
  if (FAILED(m_usp.StringXtoCP(m_analysis, x, &cp, &trail))) return false;
  if (cp < 0) {  // left of the text
    cp = 0;
    trail = 0;
  } else if (cp >= m_length) {  // on the terminator or right of the text
    cp = m_length;
    trail = cp == 0 ? 0 : 1;
  }
  *index = cp;
  *trailing = trail != 0;
  return true;
}

int CTextBuffer::GetPriorItemPos(HDC hdc, int index) {
  if (!EnsureAnalysis(hdc)) return index;
  const SCRIPT_LOGATTR* attr = m_usp.String_pLogAttr(m_analysis);
  const int* count = m_usp.String_pcOutChars(m_analysis);
  if (!attr || !count) return index;
  if (index > *count) index = *count;
  for (int i = index - 1; i > 0; --i)
    if (attr[i].fWordStop || (!attr[i].fWhiteSpace && attr[i - 1].fWhiteSpace)) return i;
  return 0;
}

int CTextBuffer::GetNextItemPos(HDC hdc, int index) {
  if (!EnsureAnalysis(hdc)) return index;
  const SCRIPT_LOGATTR* attr = m_usp.String_pLogAttr(m_analysis);
  const int* count = m_usp.String_pcOutChars(m_analysis);
  if (!attr || !count) return index;
  for (int i = index + 1; i < *count - 1; ++i)
    if (attr[i].fWordStop || (attr[i - 1].fWhiteSpace && !attr[i].fWhiteSpace)) return i;
  return *count - 1;
}

}  // namespace ZOV
