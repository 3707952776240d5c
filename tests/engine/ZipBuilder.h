// Writes zip archives byte by byte, so tests can make both sound and deliberately broken ones.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

namespace testzip {

// One entry. The fields start out describing the data truthfully; a test may then overwrite
// any of them to forge a header.
struct Item {
  std::string name;     // raw name bytes as stored in the archive
  std::string payload;  // the bytes stored after the local header (compressed or not)
  uint16_t method = 0;  // 0 stored, 8 deflate
  uint32_t crc = 0;
  uint32_t compressedSize = 0;
  uint32_t uncompressedSize = 0;
  uint32_t localOffset = 0xFFFFFFFF;  // filled in by Bytes() unless set
};

class ZipBuilder {
 public:
  Item& Stored(const std::string& name, const std::string& data);
  Item& Deflated(const std::string& name, const std::string& data);
  // The whole archive: local headers with data, central directory, end record.
  std::string Bytes() const;
  bool Save(const std::wstring& path) const;

 private:
  std::deque<Item> m_items;  // deque: references handed out stay valid
};

}  // namespace testzip
