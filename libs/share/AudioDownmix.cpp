// Stereo downmix by channel mask (see AudioDownmix.h).
#include "AudioDownmix.h"

namespace ShareLib {

namespace {

const float kMinus3dB = 0.70710678f;
const float kMinus6dB = 0.5f;
const float kInnerNear = 0.92387953f;  // cos(pi / 8): constant power, a quarter of the way in
const float kInnerFar = 0.38268343f;   // sin(pi / 8)

struct Speaker {
  uint32_t bit;
  float left, right;
};

// In bit order, as the channels of a stream with that mask come.
const Speaker kSpeakers[] = {
    {0x1, 1, 0},                              // front left
    {0x2, 0, 1},                              // front right
    {0x4, kMinus3dB, kMinus3dB},              // front centre
    {0x8, 0, 0},                              // low frequency: left out
    {0x10, kMinus3dB, 0},                     // back left
    {0x20, 0, kMinus3dB},                     // back right
    {0x40, kInnerNear, kInnerFar},            // front left of centre
    {0x80, kInnerFar, kInnerNear},            // front right of centre
    {0x100, kMinus6dB, kMinus6dB},            // back centre
    {0x200, kMinus3dB, 0},                    // side left
    {0x400, 0, kMinus3dB},                    // side right
    {0x800, kMinus6dB, kMinus6dB},            // top centre
    {0x1000, kMinus3dB, 0},                   // top front left
    {0x2000, kMinus6dB, kMinus6dB},           // top front centre
    {0x4000, 0, kMinus3dB},                   // top front right
    {0x8000, kMinus3dB, 0},                   // top back left
    {0x10000, kMinus6dB, kMinus6dB},          // top back centre
    {0x20000, 0, kMinus3dB},                  // top back right
};

uint32_t UsualMask(int channels) {
  switch (channels) {
    case 1: return 0x4;                 // mono
    case 2: return 0x3;                 // stereo
    case 3: return 0x7;                 // 3.0
    case 4: return 0x33;                // quad
    case 5: return 0x37;                // 5.0
    case 6: return 0x3F;                // 5.1
    case 7: return 0x13F;               // 6.1
    default: return 0x63F;              // 7.1 (side and back), and the first 8 of more
  }
}

int Bits(uint32_t mask) {
  int n = 0;
  for (; mask; mask &= mask - 1) ++n;
  return n;
}

}  // namespace

CDownmix::CDownmix(int channels, uint32_t mask)
    : m_channels(channels > 0 ? channels : 1), m_left(m_channels, 0.0f), m_right(m_channels, 0.0f) {
  mask &= 0x3FFFF;  // speaker bits only
  // A single channel is heard from the middle whatever its mask says.
  if (Bits(mask) < m_channels || m_channels == 1) mask = UsualMask(m_channels);
  int c = 0;
  for (const Speaker& s : kSpeakers) {
    if (c == m_channels) break;
    if (!(mask & s.bit)) continue;
    m_left[c] = s.left;
    m_right[c] = s.right;
    ++c;
  }
  m_stereo = m_channels == 2 && m_left[0] == 1 && m_right[1] == 1 && m_left[1] == 0 && m_right[0] == 0;
}

void CDownmix::Process(const float* in, size_t frames, std::vector<float>* out) const {
  if (m_stereo) {
    out->insert(out->end(), in, in + frames * 2);
    return;
  }
  for (size_t i = 0; i < frames; ++i, in += m_channels) {
    float l = 0, r = 0;
    for (int c = 0; c < m_channels; ++c) {
      l += m_left[c] * in[c];
      r += m_right[c] * in[c];
    }
    out->push_back(l);
    out->push_back(r);
  }
}

}  // namespace ShareLib
