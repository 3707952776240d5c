// Stereo from any speaker layout, by the layout's channel mask (the speaker bits of
// WAVEFORMATEXTENSIBLE, in their order). Pure computation: no system calls.
//
// The coefficients are those of the usual ITU downmix: front left and right go to their own
// side whole; centre at -3 dB to both; surround (side, back) and their top speakers at -3 dB to
// their side; back centre and top centre at -3 dB on the centre (-6 dB to each side); the
// speakers beside the centre are panned at constant power a quarter of the way in. The
// low-frequency channel is left out, as that downmix does: it only repeats the bass that the
// main channels carry, and adding it would push loud passages into clipping. No normalising
// gain either: a centre-only tone at -6 dBFS comes out at -9 dBFS in each channel.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

namespace ShareLib {

class CDownmix {
 public:
  // A mask of 0 (or one without a speaker for every channel) takes the usual layout for the
  // channel count: 6 is 5.1, 8 is 7.1. Mono is always centre. Channels beyond the layout are
  // dropped.
  CDownmix(int channels, uint32_t mask);

  // frames of `channels` interleaved samples in, frames of 2 appended to out.
  void Process(const float* in, size_t frames, std::vector<float>* out) const;
  float Left(int channel) const { return m_left[channel]; }
  float Right(int channel) const { return m_right[channel]; }
  // Plain stereo passes through unchanged.
  bool Passthrough() const { return m_stereo; }

 private:
  int m_channels;
  std::vector<float> m_left, m_right;
  bool m_stereo = false;
};

}  // namespace ShareLib
