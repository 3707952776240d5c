// Control frame codec of the phone link.
#include "ControlFrame.h"

#include <string.h>

namespace phonelink {

uint16_t ReadLE16(const unsigned char* p) { return (uint16_t)(p[0] | (p[1] << 8)); }

uint32_t ReadLE32(const unsigned char* p) {
  return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

void WriteLE16(unsigned char* p, uint16_t v) {
  p[0] = (unsigned char)v;
  p[1] = (unsigned char)(v >> 8);
}

void WriteLE32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = (unsigned char)(v >> (8 * i));
}

std::vector<unsigned char> BuildFrame(uint16_t type, const void* payload, size_t length) {
  if (length > 0xFFFF) length = 0xFFFF;  // the length field has 16 bits
  if (!payload) length = 0;
  std::vector<unsigned char> frame(kFrameHeaderSize + length);
  WriteLE32(&frame[0], kFrameMagic);
  WriteLE16(&frame[4], type);
  WriteLE16(&frame[6], (uint16_t)length);
  if (length) memcpy(&frame[kFrameHeaderSize], payload, length);
  return frame;
}

std::vector<unsigned char> BuildValueFrame(uint16_t type, uint32_t value) {
  unsigned char payload[4];
  WriteLE32(payload, value);
  return BuildFrame(type, payload, sizeof(payload));
}

ControlMessage ParseControlRead(const unsigned char* data, int length) {
  ControlMessage m;
  if (!data || length < (int)kFrameHeaderSize) return m;
  m.type = ReadLE16(data + 4);
  switch (m.type) {
    case kMsgLeave:
      m.kind = ControlMessage::Leave;
      break;
    case kMsgUsbConfirmed:
      m.kind = ControlMessage::UsbConfirmed;
      break;
    case kMsgStateSync:
      if (length < (int)kFrameHeaderSize + 4) return ControlMessage();
      m.kind = ControlMessage::StateSync;
      m.value = ReadLE32(data + 8);
      break;
    default:
      m.kind = ControlMessage::Other;
      break;
  }
  return m;
}

}  // namespace phonelink
