// The capture's Opus encoder, through the entry points the host program exports by name.
// Settings for low delay: 10 ms frames, the restricted low-delay application (no look-ahead
// of the speech modes), 128 kbit/s for stereo music.
#include "AudioCaptureImpl.h"

namespace ShareLib {

namespace {
const int kApplicationRestrictedLowDelay = 2051;  // OPUS_APPLICATION_RESTRICTED_LOWDELAY
const int kSetBitrateRequest = 4002;              // OPUS_SET_BITRATE_REQUEST
}  // namespace

struct COpusEncoder::Api {
  void* (*create)(int rate, int channels, int application, int* error) = nullptr;
  int (*encodeFloat)(void* st, const float* pcm, int frameSize, unsigned char* data, int maxBytes) = nullptr;
  int (*ctl)(void* st, int request, ...) = nullptr;
  void (*destroy)(void* st) = nullptr;

  bool Load() {
    HMODULE host = GetModuleHandleW(nullptr);
    create = reinterpret_cast<decltype(create)>(GetProcAddress(host, "opus_encoder_create"));
    encodeFloat = reinterpret_cast<decltype(encodeFloat)>(GetProcAddress(host, "opus_encode_float"));
    ctl = reinterpret_cast<decltype(ctl)>(GetProcAddress(host, "opus_encoder_ctl"));
    destroy = reinterpret_cast<decltype(destroy)>(GetProcAddress(host, "opus_encoder_destroy"));
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
  return true;
}

int COpusEncoder::Encode(const PcmFrame& frame, unsigned char* packet, int size) {
  if (!m_encoder) return -1;
  return m_api->encodeFloat(m_encoder, frame.samples, kFrameSamples, packet, size);
}

}  // namespace ShareLib
