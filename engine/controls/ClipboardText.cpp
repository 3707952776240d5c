// ClipboardText: CF_UNICODETEXT in and out, with the clipboard and the memory always released.
#include "ClipboardText.h"

#include <cstring>

#include "ScopedWin.h"

namespace ZOV {

namespace {

class ScopedClipboard {
 public:
  explicit ScopedClipboard(HWND owner) : m_open(::OpenClipboard(owner) != FALSE) {}
  ~ScopedClipboard() {
    if (m_open) ::CloseClipboard();
  }
  ScopedClipboard(const ScopedClipboard&) = delete;
  ScopedClipboard& operator=(const ScopedClipboard&) = delete;
  bool IsOpen() const { return m_open; }

 private:
  bool m_open;
};

}  // namespace

bool PutClipboardText(HWND owner, const wchar_t* text, int count) {
  if (!text || count < 0) return false;
  win::AutoHGlobal block(::GlobalAlloc(GMEM_MOVEABLE, (SIZE_T)count * 2 + 2));
  if (!block) return false;
  auto* dst = static_cast<wchar_t*>(::GlobalLock(block.get()));
  if (!dst) return false;
  std::memcpy(dst, text, (size_t)count * 2);
  dst[count] = 0;
  ::GlobalUnlock(block.get());
  ScopedClipboard clipboard(owner);
  if (!clipboard.IsOpen() || !::EmptyClipboard()) return false;
  if (!::SetClipboardData(CF_UNICODETEXT, block.get())) return false;
  block.release();  // the clipboard owns it now
  return true;
}

bool GetClipboardText(HWND owner, std::wstring* text) {
  ScopedClipboard clipboard(owner);
  if (!clipboard.IsOpen()) return false;
  HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
  if (!data) return false;
  const auto* src = static_cast<const wchar_t*>(::GlobalLock(data));
  if (!src) return false;
  // Bounded by the block's size: a block without a terminator must not be read past its end.
  size_t max = ::GlobalSize(data) / sizeof(wchar_t);
  size_t n = 0;
  while (n < max && src[n]) ++n;
  text->assign(src, n);
  ::GlobalUnlock(data);
  return true;
}

}  // namespace ZOV
