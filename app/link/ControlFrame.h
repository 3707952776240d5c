// Control frames of the phone link: magic, type, payload length, payload; all little-endian.
// Pure byte work, no sockets, so that tests reach it directly.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <vector>

namespace phonelink {

const uint32_t kFrameMagic = 0x00015A01;  // bytes 01 5A 01 00 on the wire
const size_t kFrameHeaderSize = 8;        // magic (4), type (2), payload length (2)

// Message types.
const uint16_t kMsgLeave = 0x0101;         // both ways: the link ends
const uint16_t kMsgUsbConfirmed = 0x0110;  // phone to PC: its USB control socket is good
const uint16_t kMsgStreamFormat = 0x0111;  // PC to phone: 32-bit value of the capture format
const uint16_t kMsgStateSync = 0x0112;     // both ways: 32-bit state value

// State-sync values the PC sends.
const uint32_t kStateStreaming = 3;
const uint32_t kStateStopped = 2;

// The handshake written right after a control socket is connected or accepted: no frame.
const char kHandshake[] = "pcid";
const int kHandshakeSize = 4;

// One whole frame: header and payload. A payload longer than 65535 bytes is cut to that.
std::vector<unsigned char> BuildFrame(uint16_t type, const void* payload, size_t length);
// A frame whose payload is one 32-bit little-endian value (0x0111, 0x0112).
std::vector<unsigned char> BuildValueFrame(uint16_t type, uint32_t value);

// What the dispatcher takes from one completed read: the type at offset 4 and, for state sync,
// the value at offset 8. Only the first message of a read is looked at; the magic and the
// length field are not checked. A read too short to hold a type, or a state sync too short to
// hold its value, carries no message (kind None), so nothing past the read is ever read.
struct ControlMessage {
  enum Kind { None, Leave, UsbConfirmed, StateSync, Other };
  Kind kind = None;
  uint16_t type = 0;
  uint32_t value = 0;  // StateSync only
};
ControlMessage ParseControlRead(const unsigned char* data, int length);

uint16_t ReadLE16(const unsigned char* p);
uint32_t ReadLE32(const unsigned char* p);
void WriteLE16(unsigned char* p, uint16_t v);
void WriteLE32(unsigned char* p, uint32_t v);

}  // namespace phonelink
