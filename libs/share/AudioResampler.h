// Band-limited sample-rate conversion of interleaved float audio, for any pair of rates.
//
// Polyphase windowed sinc: the low-pass kernel (cut off at half the lower of the two rates,
// Kaiser window) is tabulated at kPhases fractional positions between input samples; each
// output sample interpolates linearly between the two nearest tabulated phases. The output's
// position advances by an exact fraction (input rate / output rate in lowest terms), so the
// rates never drift apart however long the stream runs. Pure computation: no system calls.
#pragma once

#include <stddef.h>

#include <vector>

namespace ShareLib {

class CResampler {
 public:
  // Zero crossings of the kernel on each side, counted at the lower rate: 24 puts the
  // transition band between about 20 and 28 kHz for a 48 kHz output (what lies above 28 kHz is
  // suppressed by more than 80 dB; what folds into 24..28 kHz lands above the audible band).
  static const int kZeroCrossings = 24;
  static const int kPhases = 512;

  CResampler(int inRate, int outRate, int channels);

  // Appends to out every output frame that the input given so far determines. The delay is
  // HalfTaps() input frames (the kernel's half length): a third of a millisecond at 96 kHz.
  void Process(const float* in, size_t frames, std::vector<float>* out);
  int HalfTaps() const { return m_half; }
  bool Passthrough() const { return m_inStep == m_outStep; }

 private:
  void BuildTable(double cutoff);

  int m_channels;
  int m_inStep, m_outStep;  // rates over their greatest common divisor
  int m_half = 0;           // kernel half length in input frames
  std::vector<float> m_table;  // (kPhases + 1) rows of 2 * m_half taps
  std::vector<float> m_input;  // interleaved frames not yet fully used
  size_t m_index = 0;          // input frame of the next output sample, within m_input
  long long m_fraction = 0;    // and its fraction, in units of 1 / m_outStep
};

}  // namespace ShareLib
