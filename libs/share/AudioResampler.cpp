// Polyphase windowed-sinc resampler (see AudioResampler.h).
#include "AudioResampler.h"

#include <math.h>

namespace ShareLib {

namespace {

const double kPi = 3.14159265358979323846;
const double kKaiserBeta = 8.0;  // side lobes about 80 dB down

int Gcd(int a, int b) {
  while (b) {
    int t = a % b;
    a = b;
    b = t;
  }
  return a;
}

// Modified Bessel function of the first kind, order 0 (its series converges fast for the
// window's arguments).
double BesselI0(double x) {
  double sum = 1, term = 1;
  for (int k = 1; k < 50; ++k) {
    term *= (x / (2 * k)) * (x / (2 * k));
    sum += term;
    if (term < sum * 1e-12) break;
  }
  return sum;
}

}  // namespace

CResampler::CResampler(int inRate, int outRate, int channels)
    : m_channels(channels > 0 ? channels : 1) {
  if (inRate <= 0 || outRate <= 0) inRate = outRate = 1;
  int g = Gcd(inRate, outRate);
  m_inStep = inRate / g;
  m_outStep = outRate / g;
  if (Passthrough()) return;
  // Cut-off in cycles per input sample: half the lower rate.
  const double ratio = outRate < inRate ? (double)outRate / inRate : 1.0;
  m_half = (int)ceil(kZeroCrossings / ratio);
  BuildTable(0.5 * ratio);
  // Half a kernel of silence before the first sample, so that the first output sample sits
  // on the first input sample.
  m_input.assign((size_t)(m_half - 1) * m_channels, 0.0f);
  m_index = m_half - 1;
}

void CResampler::BuildTable(double cutoff) {
  const int taps = 2 * m_half;
  m_table.resize((size_t)(kPhases + 1) * taps);
  const double norm = BesselI0(kKaiserBeta);
  for (int p = 0; p <= kPhases; ++p) {
    float* row = &m_table[(size_t)p * taps];
    double sum = 0;
    for (int k = 0; k < taps; ++k) {
      // Tap k weighs input frame (index - half + 1 + k) for an output at index + p / kPhases.
      double x = k - m_half + 1 - (double)p / kPhases;
      double arg = 2 * cutoff * x;
      double sinc = fabs(arg) < 1e-12 ? 1.0 : sin(kPi * arg) / (kPi * arg);
      double r = x / m_half;
      double window = fabs(r) >= 1 ? 0.0 : BesselI0(kKaiserBeta * sqrt(1 - r * r)) / norm;
      double h = 2 * cutoff * sinc * window;
      row[k] = (float)h;
      sum += h;
    }
    // Unit gain at every phase: no ripple at DC from the tabulation.
    for (int k = 0; k < taps; ++k) row[k] = (float)(row[k] / sum);
  }
}

void CResampler::Process(const float* in, size_t frames, std::vector<float>* out) {
  if (Passthrough()) {
    out->insert(out->end(), in, in + frames * m_channels);
    return;
  }
  m_input.insert(m_input.end(), in, in + frames * m_channels);
  const size_t have = m_input.size() / m_channels;
  const int taps = 2 * m_half;
  // An output needs input frames up to index + half.
  while (m_index + m_half < have) {
    double phase = (double)m_fraction * kPhases / m_outStep;
    int p = (int)phase;
    float w = (float)(phase - p);
    const float* a = &m_table[(size_t)p * taps];
    const float* b = a + taps;
    const float* x = &m_input[(m_index + 1 - m_half) * m_channels];
    for (int c = 0; c < m_channels; ++c) {
      float sa = 0, sb = 0;
      for (int k = 0; k < taps; ++k) {
        float v = x[(size_t)k * m_channels + c];
        sa += a[k] * v;
        sb += b[k] * v;
      }
      out->push_back(sa + w * (sb - sa));
    }
    m_fraction += m_inStep;
    m_index += (size_t)(m_fraction / m_outStep);
    m_fraction %= m_outStep;
  }
  // Keep only what later outputs still reach back to.
  size_t drop = m_index + 1 > (size_t)m_half ? m_index + 1 - m_half : 0;
  if (drop > 0) {
    drop = drop < have ? drop : have;
    m_input.erase(m_input.begin(), m_input.begin() + drop * m_channels);
    m_index -= drop;
  }
}

}  // namespace ShareLib
