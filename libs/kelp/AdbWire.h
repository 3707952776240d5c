// Pure text and byte handling of the adb protocols: smart-socket framing, device lists,
// sync-protocol headers, and the device answers the library reads (install, activity start).
// No sockets here, so tests reach every rule directly.
#pragma once

#include <stdint.h>
#include <string>
#include <vector>

namespace kelp {

// "000chost:version": four lower-case hex digits with the byte length, then the text.
// Empty when the text is empty or longer than 0xFFFF bytes (the server rejects both).
std::string EncodeRequest(const std::string& service);

// Reads four hex digits (either case). False for anything else.
bool ParseHex4(const char* digits, size_t length, uint32_t& value);

// One line of host:devices / host:track-devices(-l).
struct DeviceEntry {
  std::string serial;
  std::string state;  // "device", "offline", "unauthorized", "no permissions (...)", ...
  std::string model;  // from the long form's "model:" field; empty when absent
};

// Parses a device list: lines "serial\tstate" (short form) or "serial  state [fields]" (long
// form). Lines without a serial are skipped; "\r" before "\n" is ignored.
std::vector<DeviceEntry> ParseDeviceList(const std::string& text);

// Device readiness reported through OnDeviceReady; see kelp.h for the table.
enum DeviceStatus {
  kStatusReady = 0,
  kStatusUnauthorized = 1,
  kStatusOffline = 2,
  kStatusConnecting = 3,
  kStatusNoPermissions = 4,
  kStatusOtherMode = 5,
  kStatusNoServer = 6,  // reported with an empty device id: no adb server can be had
};
int DeviceStatusFromState(const std::string& state);

// Shell output with "\r\n" (and "\r\r\n") turned into "\n", as devices with a PTY send it.
std::string NormalizeLineEnds(const std::string& text);

// True when a line of the text starts with prefix.
bool HasLineStartingWith(const std::string& text, const char* prefix);

// The package manager's answer: a line starting with "Success".
bool IsInstallSuccess(const std::string& output);

// The activity manager's answer to "am start": started unless it printed an error (it exits
// with 0 either way). Empty output counts as not started.
bool IsActivityStarted(const std::string& output);

// One argument for the device's shell, in single quotes.
std::string ShellQuote(const std::string& argument);

// The last element of a path that uses "\" or "/" as separators.
std::string BaseName(const std::string& path);

// Sync-protocol header: four-character id and a little-endian 32-bit value.
std::string SyncHeader(const char id[4], uint32_t value);
// Reads a header; false unless 8 bytes are given.
bool ParseSyncHeader(const char* bytes, size_t length, std::string& id, uint32_t& value);

// Progress of a push as the 32-bit done/total pair of OnPushProgress: both scaled down by the
// same power of two when the total does not fit, so the percent stays exact and monotonic.
void ScaleProgress(int64_t done, int64_t total, int& doneOut, int& totalOut);

}  // namespace kelp
