// kelp.dll's push throughput, and the time from attaching the device double to its "ready"
// notice. Run inside the adb sandbox by bench_push.py, which also times Debian's `adb push`
// of the same file and prints the ratio.
//
//   bench_push.exe <local file> <repetitions>
// Prints "attach_to_ready_ms <ms>" and "kelp_push_mbps <best MB/s>" lines.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <kelp.h>

#include "AdbTestHost.h"

namespace {

class ReadyWatch : public IKELPEventHandler {
 public:
  void OnDeviceInsert(const wchar_t*, const char*) override {}
  void OnDeviceRemove(uint32_t) override {}
  void OnDeviceReady(const char*, int status) override {
    if (status == 0) InterlockedExchange(&ready, 1);
  }
  void OnPushProgress(const char*, int, int) override { InterlockedIncrement(&progress); }
  volatile LONG ready = 0;
  volatile LONG progress = 0;
};

double Seconds(const LARGE_INTEGER& a, const LARGE_INTEGER& b) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: bench_push <local file> [repetitions]\n");
    return 64;
  }
  int reps = argc > 2 ? atoi(argv[2]) : 3;
  ReadyWatch watch;
  CKelpCommand kelp;
  kelp.Init(&watch);
  LARGE_INTEGER t0, t1;
  QueryPerformanceCounter(&t0);
  if (!adbtest::AttachDouble()) {
    fprintf(stderr, "bench_push: the device double could not be attached\n");
    return 1;
  }
  if (!adbtest::WaitFor([&] { return watch.ready != 0; }, 20000)) {
    fprintf(stderr, "bench_push: no ready notice\n");
    return 1;
  }
  QueryPerformanceCounter(&t1);
  printf("attach_to_ready_ms %.1f\n", Seconds(t0, t1) * 1000);

  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(argv[1], GetFileExInfoStandard, &data)) {
    fprintf(stderr, "bench_push: cannot read %s\n", argv[1]);
    return 1;
  }
  double bytes = double(((unsigned long long)data.nFileSizeHigh << 32) | data.nFileSizeLow);
  double best = 0;
  for (int i = 0; i < reps; ++i) {
    QueryPerformanceCounter(&t0);
    int result = kelp.push(argv[1], "/sdcard/fernavoy/bench_kelp.bin");
    QueryPerformanceCounter(&t1);
    if (result != 0) {
      fprintf(stderr, "bench_push: push failed (%d)\n", result);
      return 1;
    }
    double mbps = bytes / (1024.0 * 1024.0) / Seconds(t0, t1);
    printf("kelp_push_run %d %.1f MB/s\n", i + 1, mbps);
    if (mbps > best) best = mbps;
  }
  printf("kelp_push_mbps %.1f\n", best);
  printf("progress_notices %ld\n", (long)watch.progress);
  kelp.close();
  return 0;
}
