// One transfer record: a dropped file, filed when it was queued; a finished task files a
// completed copy (state 3).
#pragma once

#include <stdint.h>
#include <string>

struct TaskRecord {
  int id = 0;
  std::string path;       // UTF-8 full path of the dropped file
  int64_t size = 0;       // bytes; -1 when it could not be read
  int state = 1;          // 1 filed, 3 done
  std::string deviceKey;  // the device key at the time of the drop; empty without a device
};
