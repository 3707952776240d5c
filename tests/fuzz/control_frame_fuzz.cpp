// The control frame reader on one completed read of any bytes; the frame writer must give
// back what the reader takes.
#include <stdlib.h>

#include "ControlFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  phonelink::ControlMessage m = phonelink::ParseControlRead(data, (int)size);
  if (m.kind == phonelink::ControlMessage::None) return 0;
  std::vector<unsigned char> frame =
      m.kind == phonelink::ControlMessage::StateSync ? phonelink::BuildValueFrame(m.type, m.value)
                                                     : phonelink::BuildFrame(m.type, data, size);
  phonelink::ControlMessage again = phonelink::ParseControlRead(frame.data(), (int)frame.size());
  if (again.kind != m.kind || again.type != m.type || again.value != m.value) abort();
  return 0;
}
