// GIF writing without compression: LZW codes of 3 bits (2-bit minimum code size), with a
// clear code after every two pixels so the code table never grows past 3-bit codes.
#include "GifWriter.h"

#include <algorithm>

namespace {

void Put16(std::string& out, int v) {
  out += (char)(v & 0xFF);
  out += (char)((v >> 8) & 0xFF);
}

class BitPacker {
 public:
  void Put(unsigned code, int bits) {
    m_acc |= code << m_count;
    m_count += bits;
    while (m_count >= 8) {
      m_bytes += (char)(m_acc & 0xFF);
      m_acc >>= 8;
      m_count -= 8;
    }
  }
  std::string Finish() {
    if (m_count > 0) m_bytes += (char)(m_acc & 0xFF);
    return m_bytes;
  }

 private:
  unsigned m_acc = 0;
  int m_count = 0;
  std::string m_bytes;
};

}  // namespace

std::string MakeGif(int width, int height, const uint32_t (&palette)[4],
                    const std::vector<GifFrame>& frames) {
  std::string out = "GIF89a";
  Put16(out, width);
  Put16(out, height);
  out += (char)0xF1;  // global colour table of 2^(1+1) entries
  out += (char)0;     // background index
  out += (char)0;     // no aspect ratio
  for (uint32_t c : palette) {
    out += (char)((c >> 16) & 0xFF);
    out += (char)((c >> 8) & 0xFF);
    out += (char)(c & 0xFF);
  }
  out += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);  // loop forever
  for (const GifFrame& f : frames) {
    out += std::string("\x21\xF9\x04\x00", 4);  // graphic control: no disposal, no transparency
    Put16(out, f.delayHundredths);
    out += (char)0;  // transparent index (unused)
    out += (char)0;
    out += (char)0x2C;  // image descriptor at 0,0, full size, no local table
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, width);
    Put16(out, height);
    out += (char)0;
    out += (char)2;  // minimum code size
    const unsigned kClear = 4, kEnd = 5;
    BitPacker bits;
    for (size_t i = 0; i < f.indices.size(); ++i) {
      if (i % 2 == 0) bits.Put(kClear, 3);
      bits.Put(f.indices[i] & 3, 3);
    }
    bits.Put(kEnd, 3);
    std::string data = bits.Finish();
    for (size_t pos = 0; pos < data.size(); pos += 255) {
      size_t n = std::min<size_t>(255, data.size() - pos);
      out += (char)n;
      out.append(data, pos, n);
    }
    out += (char)0;  // end of the frame's data
  }
  out += (char)0x3B;
  return out;
}
