// Smart-socket framing, device-list parsing and the device answers the library reads.
#include "AdbWire.h"

#include <limits.h>
#include <string.h>

namespace kelp {

std::string EncodeRequest(const std::string& service) {
  if (service.empty() || service.size() > 0xFFFF) return std::string();
  static const char kHex[] = "0123456789abcdef";
  std::string out(4, '0');
  size_t n = service.size();
  for (int i = 3; i >= 0; --i, n >>= 4) out[i] = kHex[n & 0xF];
  return out + service;
}

bool ParseHex4(const char* digits, size_t length, uint32_t& value) {
  if (!digits || length != 4) return false;
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) {
    char c = digits[i];
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = (v << 4) | (uint32_t)d;
  }
  value = v;
  return true;
}

namespace {

bool StartsWith(const std::string& s, const char* prefix) { return s.compare(0, strlen(prefix), prefix) == 0; }

// Long-form fields that follow the state; the state itself may contain spaces
// ("no permissions (...); see [URL]").
bool IsLongField(const std::string& token) {
  return StartsWith(token, "usb:") || StartsWith(token, "product:") || StartsWith(token, "model:") ||
         StartsWith(token, "device:") || StartsWith(token, "transport_id:");
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return std::string();
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

DeviceEntry ParseLine(const std::string& line) {
  DeviceEntry entry;
  size_t tab = line.find('\t');
  if (tab != std::string::npos) {  // short form: split only at the first tab
    entry.serial = line.substr(0, tab);
    entry.state = line.substr(tab + 1);
    return entry;
  }
  size_t space = line.find(' ');
  entry.serial = line.substr(0, space);
  if (space == std::string::npos) return entry;
  // Long form: the state runs up to the first known field.
  std::string rest = Trim(line.substr(space));
  std::string state;
  size_t pos = 0;
  bool inFields = false;
  while (pos < rest.size()) {
    size_t end = rest.find(' ', pos);
    if (end == std::string::npos) end = rest.size();
    std::string token = rest.substr(pos, end - pos);
    if (!token.empty()) {
      if (!inFields && IsLongField(token)) inFields = true;
      if (inFields) {
        if (StartsWith(token, "model:")) entry.model = token.substr(6);
      } else {
        state += state.empty() ? token : " " + token;
      }
    }
    pos = end + 1;
  }
  entry.state = state;
  return entry;
}

}  // namespace

std::vector<DeviceEntry> ParseDeviceList(const std::string& text) {
  std::vector<DeviceEntry> out;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    pos = end + 1;
    DeviceEntry entry = ParseLine(line);
    if (!entry.serial.empty()) out.push_back(entry);
  }
  return out;
}

int DeviceStatusFromState(const std::string& state) {
  if (state == "device") return kStatusReady;
  if (state == "unauthorized") return kStatusUnauthorized;
  if (state == "offline") return kStatusOffline;
  if (state == "connecting" || state == "authorizing") return kStatusConnecting;
  if (StartsWith(state, "no permissions")) return kStatusNoPermissions;
  return kStatusOtherMode;
}

std::string NormalizeLineEnds(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      size_t j = i;
      while (j < text.size() && text[j] == '\r') ++j;
      if (j < text.size() && text[j] == '\n') {
        i = j - 1;  // drop the run of "\r" before "\n"
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

bool HasLineStartingWith(const std::string& text, const char* prefix) {
  size_t pos = 0;
  while (pos <= text.size()) {
    if (text.compare(pos, strlen(prefix), prefix) == 0) return true;
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) break;
    pos = end + 1;
  }
  return false;
}

bool IsInstallSuccess(const std::string& output) { return HasLineStartingWith(output, "Success"); }

bool IsActivityStarted(const std::string& output) {
  if (output.find_first_not_of(" \t\r\n") == std::string::npos) return false;
  return !HasLineStartingWith(output, "Error") && !HasLineStartingWith(output, "Exception") &&
         !HasLineStartingWith(output, "java.lang.") && !HasLineStartingWith(output, "/system/bin/sh:");
}

std::string ShellQuote(const std::string& argument) {
  std::string out = "'";
  for (char c : argument) {
    if (c == '\'') out += "'\\''";
    else out += c;
  }
  return out + "'";
}

std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string SyncHeader(const char id[4], uint32_t value) {
  std::string out(id, 4);
  for (int i = 0; i < 4; ++i) out += (char)((value >> (8 * i)) & 0xFF);
  return out;
}

bool ParseSyncHeader(const char* bytes, size_t length, std::string& id, uint32_t& value) {
  if (!bytes || length != 8) return false;
  id.assign(bytes, 4);
  value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | (unsigned char)bytes[4 + i];
  return true;
}

void ScaleProgress(int64_t done, int64_t total, int& doneOut, int& totalOut) {
  if (total < 0) total = 0;
  if (done < 0) done = 0;
  if (done > total) done = total;
  int shift = 0;
  while ((total >> shift) > INT_MAX) ++shift;
  doneOut = (int)(done >> shift);
  totalOut = (int)(total >> shift);
}

}  // namespace kelp
