// The downmix by channel mask: where each speaker of the usual layouts lands, and masks that do
// not match the channel count.
#include <gtest/gtest.h>

#include "AudioDownmix.h"

using ShareLib::CDownmix;

namespace {

// One frame with only `channel` sounding at 1.0, downmixed: {left, right}.
std::vector<float> Only(const CDownmix& d, int channels, int channel) {
  std::vector<float> in(channels, 0.0f), out;
  in[channel] = 1;
  d.Process(in.data(), 1, &out);
  return out;
}

const float k3dB = 0.70710678f;

}  // namespace

TEST(AudioDownmix, FivePointOneByMask) {
  CDownmix d(6, 0x3F);  // FL FR FC LFE BL BR
  const std::vector<std::vector<float>> expected = {
      {1, 0}, {0, 1}, {k3dB, k3dB}, {0, 0}, {k3dB, 0}, {0, k3dB}};
  for (int c = 0; c < 6; ++c) {
    std::vector<float> got = Only(d, 6, c);
    EXPECT_NEAR(got[0], expected[c][0], 1e-6) << "channel " << c;
    EXPECT_NEAR(got[1], expected[c][1], 1e-6) << "channel " << c;
  }
}

TEST(AudioDownmix, MaskOrderAndMissingMasks) {
  // 7.1 with side speakers: channels 6 and 7 are side left and right.
  CDownmix wide(8, 0x63F);
  EXPECT_NEAR(Only(wide, 8, 6)[0], k3dB, 1e-6);
  EXPECT_NEAR(Only(wide, 8, 7)[1], k3dB, 1e-6);
  // A mask that names the centre and the rears but not the fronts: the first channel is centre.
  CDownmix centreFirst(3, 0x34);
  EXPECT_NEAR(Only(centreFirst, 3, 0)[1], k3dB, 1e-6);
  EXPECT_NEAR(Only(centreFirst, 3, 2)[1], k3dB, 1e-6);
  // No mask, or too few speakers for the channels: the usual layout for the count.
  CDownmix noMask(6, 0);
  EXPECT_NEAR(Only(noMask, 6, 2)[0], k3dB, 1e-6);
  EXPECT_EQ(Only(noMask, 6, 3), (std::vector<float>{0, 0}));
  CDownmix mono(1, 0x3);
  EXPECT_NEAR(Only(mono, 1, 0)[0], k3dB, 1e-6);
  // Stereo passes through; more channels than any layout drop what has no speaker.
  EXPECT_TRUE(CDownmix(2, 0x3).Passthrough());
  CDownmix many(12, 0);
  EXPECT_EQ(Only(many, 12, 11), (std::vector<float>{0, 0}));
  EXPECT_EQ(Only(many, 12, 0), (std::vector<float>{1, 0}));
}
