// The push percent: see TransferText.h.
#include "TransferText.h"

int PushPercent(int64_t done, int64_t total) {
  if (total <= 0) return 100;
  int64_t percent = done * 100 / total;
  if (percent < 0) return 0;
  return percent > 100 ? 100 : (int)percent;
}
