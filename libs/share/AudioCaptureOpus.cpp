// The capture's Opus encoder, through the entry points the host program exports by name.
// Settings for low delay: 20 ms frames (kFrameSamples), the restricted low-delay application
// (no look-ahead of the speech modes), 128 kbit/s for stereo music, complexity 7.
#include "AudioCaptureImpl.h"

#include <string.h>

namespace ShareLib {

namespace {
const int kApplicationRestrictedLowDelay = 2051;  // OPUS_APPLICATION_RESTRICTED_LOWDELAY
const int kSetBitrateRequest = 4002;              // OPUS_SET_BITRATE_REQUEST
const int kSetComplexityRequest = 4010;           // OPUS_SET_COMPLEXITY_REQUEST
// Below 8 the encoder skips its rate-distortion search of each band's stereo angle and the
// second transform of transient frames: about a third less work, and the same decoded SNR on a
// tone and on a stereo chord at 128 kbit/s (bench/README.md). Below 7 it also drops its signal
// analysis (tonality, bandwidth), which costs the tone 2 dB.
const int kComplexity = 7;
}  // namespace

struct COpusEncoder::Api {
  void* (*create)(int rate, int channels, int application, int* error) = nullptr;
  int (*encodeFloat)(void* st, const float* pcm, int frameSize, unsigned char* data, int maxBytes) = nullptr;
  int (*ctl)(void* st, int request, ...) = nullptr;
  void (*destroy)(void* st) = nullptr;

  bool Load() {
    HMODULE host = GetModuleHandleW(nullptr);
    create = win::ProcAddress<decltype(create)>(host, "opus_encoder_create");
    encodeFloat = win::ProcAddress<decltype(encodeFloat)>(host, "opus_encode_float");
    ctl = win::ProcAddress<decltype(ctl)>(host, "opus_encoder_ctl");
    destroy = win::ProcAddress<decltype(destroy)>(host, "opus_encoder_destroy");
    return create && encodeFloat && ctl && destroy;
  }
};

COpusEncoder::COpusEncoder() {}

COpusEncoder::~COpusEncoder() {
  if (m_encoder && m_api) m_api->destroy(m_encoder);
}

bool COpusEncoder::Open() {
  try {
    m_api.reset(new Api);
  } catch (...) {
    return false;
  }
  if (!m_api->Load()) return false;
  int error = 0;
  m_encoder = m_api->create(kCaptureRate, kCaptureChannels, kApplicationRestrictedLowDelay, &error);
  if (!m_encoder || error != 0) {
    m_encoder = nullptr;
    return false;
  }
  m_api->ctl(m_encoder, kSetBitrateRequest, (int)kOpusBitrate);
  m_api->ctl(m_encoder, kSetComplexityRequest, kComplexity);
  return true;
}

int COpusEncoder::Encode(const PcmFrame& frame, unsigned char* packet, int size) {
  if (!m_encoder) return -1;
  bool silent = true;
  for (float v : frame.samples)
    if (v != 0.0f) {
      silent = false;
      break;
    }
  if (!silent) {
    m_silenceSteady = false;
    m_silencePacket.clear();
  } else if (m_silenceSteady && (int)m_silencePacket.size() <= size) {
    memcpy(packet, m_silencePacket.data(), m_silencePacket.size());
    return (int)m_silencePacket.size();
  }
  int n = m_api->encodeFloat(m_encoder, frame.samples, kFrameSamples, packet, size);
  if (silent && n > 0) {
    // Silence goes through the encoder until two packets in a row are the same: its state (and
    // the phone's decoder) has then faded out, and that packet is what silence stays.
    m_silenceSteady = m_silencePacket.size() == (size_t)n && memcmp(m_silencePacket.data(), packet, n) == 0;
    m_silencePacket.assign(packet, packet + n);
  }
  return n;
}

}  // namespace ShareLib
