// The resampler on sine tones: levels in the pass band, aliases and images suppressed, the
// same output whatever the input's chunking, and no drift between the rates.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>

#include "AudioResampler.h"

using ShareLib::CResampler;

namespace {

const double kPi = 3.14159265358979323846;

std::vector<float> Tone(double hz, int rate, int frames, int channels = 2) {
  std::vector<float> v((size_t)frames * channels);
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) v[(size_t)i * channels + c] = (float)(0.5 * sin(2 * kPi * hz * i / rate));
  return v;
}

// The amplitude of the best-fitting sine of hz in channel 0 of stereo output, skipping the
// kernel's start, and what is left beside it, both in dB against an amplitude of 0.5.
struct Fit {
  double levelDb, restDb;
};
Fit FitTone(const std::vector<float>& out, double hz, int rate) {
  const size_t skip = 2000, n = out.size() / 2 - 2 * skip;
  double s = 0, c = 0;
  for (size_t i = 0; i < n; ++i) {
    double w = 2 * kPi * hz * (double)(i + skip) / rate;
    s += out[2 * (i + skip)] * sin(w);
    c += out[2 * (i + skip)] * cos(w);
  }
  double a = 2 * s / n, b = 2 * c / n, rest = 0;
  for (size_t i = 0; i < n; ++i) {
    double w = 2 * kPi * hz * (double)(i + skip) / rate;
    double e = out[2 * (i + skip)] - a * sin(w) - b * cos(w);
    rest += e * e;
  }
  double amp = sqrt(a * a + b * b);
  double restAmp = sqrt(2 * rest / n);
  return {20 * log10(amp / 0.5 + 1e-30), 20 * log10(restAmp / 0.5 + 1e-30)};
}

std::vector<float> Convert(int in, int out, const std::vector<float>& x, size_t chunk) {
  CResampler r(in, out, 2);
  std::vector<float> y;
  const size_t frames = x.size() / 2;
  for (size_t i = 0; i < frames; i += chunk) r.Process(&x[2 * i], i + chunk <= frames ? chunk : frames - i, &y);
  return y;
}

}  // namespace

TEST(AudioResampler, DownFrom96kKeepsTheBandAndSuppressesAliases) {
  // 28 kHz at 96 kHz folds onto 20 kHz at 48 kHz when nothing filters it.
  Fit alias = FitTone(Convert(96000, 48000, Tone(28000, 96000, 96000), 480), 20000, 48000);
  Fit high = FitTone(Convert(96000, 48000, Tone(19000, 96000, 96000), 480), 19000, 48000);
  Fit low = FitTone(Convert(96000, 48000, Tone(1000, 96000, 96000), 480), 1000, 48000);
  printf("96 kHz: alias of 28 kHz at %.1f dB; 19 kHz at %.2f dB; 1 kHz at %.2f dB, rest %.1f dB\n",
         alias.levelDb, high.levelDb, low.levelDb, low.restDb);
  EXPECT_LT(alias.levelDb, -70);
  EXPECT_NEAR(high.levelDb, 0, 1.0);
  EXPECT_NEAR(low.levelDb, 0, 0.05);
  EXPECT_LT(low.restDb, -70);
}

TEST(AudioResampler, UpFrom44kLeavesNoImages) {
  // Linear interpolation leaves images of a 19 kHz tone (at 25.1 kHz, folding to 22.9 kHz) and
  // distortion in the band: the fit's residue shows both.
  for (double hz : {1000.0, 19000.0}) {
    Fit f = FitTone(Convert(44100, 48000, Tone(hz, 44100, 88200), 441), hz, 48000);
    printf("44.1 kHz: %.0f Hz at %.2f dB, rest %.1f dB\n", hz, f.levelDb, f.restDb);
    EXPECT_NEAR(f.levelDb, 0, hz < 10000 ? 0.05 : 1.0);
    EXPECT_LT(f.restDb, -70);
  }
}

TEST(AudioResampler, ChunkingChangesNothingAndRatesDoNotDrift) {
  std::vector<float> x = Tone(997, 44100, 441000);  // 10 s
  std::vector<float> whole = Convert(44100, 48000, x, x.size() / 2);
  EXPECT_EQ(whole, Convert(44100, 48000, x, 1));
  EXPECT_EQ(whole, Convert(44100, 48000, x, 137));
  // 10 s in, 10 s out, short only by the kernel's half length.
  CResampler r(44100, 48000, 2);
  const long expected = 480000 - (long)((r.HalfTaps() - 1) * 48000.0 / 44100) - 1;
  EXPECT_NEAR((long)whole.size() / 2, expected, 2);
  // Odd rates, passthrough and nonsense do what they say without harm.
  EXPECT_EQ(Convert(48000, 48000, x, 100), x);
  EXPECT_FALSE(Convert(44056, 48000, x, 1000).empty());
  CResampler bad(0, -1, 0);
  std::vector<float> y;
  bad.Process(x.data(), 10, &y);
  EXPECT_EQ(y.size(), 10u);
}
