// The push percent of the transfer tasks.
#pragma once

#include <stdint.h>

// done x 100 / total in 64-bit arithmetic, truncated toward zero and kept within 0..100; a
// total of 0 or less (an empty file) counts as complete.
int PushPercent(int64_t done, int64_t total);
