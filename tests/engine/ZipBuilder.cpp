// Zip writer for tests; the layout follows the zip file format's classic (non-zip64) records.
#include "ZipBuilder.h"

#include <windows.h>
#include <zlib.h>

#include "ScopedWin.h"

namespace testzip {

namespace {

void Put16(std::string& out, uint32_t v) {
  out += (char)(v & 0xFF);
  out += (char)((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

const uint32_t kDosTime = 0x6000;  // 12:00:00
const uint32_t kDosDate = 0x5821;  // 2024-01-01

std::string RawDeflate(const std::string& data) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);  // raw: no zlib wrapper
  std::string out(deflateBound(&z, data.size()) + 16, '\0');
  z.next_in = (Bytef*)data.data();
  z.avail_in = (uInt)data.size();
  z.next_out = (Bytef*)&out[0];
  z.avail_out = (uInt)out.size();
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

uint32_t Crc(const std::string& data) {
  return (uint32_t)crc32(crc32(0, nullptr, 0), (const Bytef*)data.data(), (uInt)data.size());
}

}  // namespace

Item& ZipBuilder::Stored(const std::string& name, const std::string& data) {
  Item item;
  item.name = name;
  item.payload = data;
  item.crc = Crc(data);
  item.compressedSize = item.uncompressedSize = (uint32_t)data.size();
  m_items.push_back(item);
  return m_items.back();
}

Item& ZipBuilder::Deflated(const std::string& name, const std::string& data) {
  Item item;
  item.name = name;
  item.payload = RawDeflate(data);
  item.method = 8;
  item.crc = Crc(data);
  item.compressedSize = (uint32_t)item.payload.size();
  item.uncompressedSize = (uint32_t)data.size();
  m_items.push_back(item);
  return m_items.back();
}

std::string ZipBuilder::Bytes() const {
  std::string out, dir;
  for (const Item& item : m_items) {
    uint32_t offset = item.localOffset != 0xFFFFFFFF ? item.localOffset : (uint32_t)out.size();
    // Local file header.
    Put32(out, 0x04034b50);
    Put16(out, 20);  // version needed: 2.0
    Put16(out, 0);   // flags
    Put16(out, item.method);
    Put16(out, kDosTime);
    Put16(out, kDosDate);
    Put32(out, item.crc);
    Put32(out, item.compressedSize);
    Put32(out, item.uncompressedSize);
    Put16(out, (uint32_t)item.name.size());
    Put16(out, 0);  // extra field length
    out += item.name;
    out += item.payload;
    // Central directory record.
    Put32(dir, 0x02014b50);
    Put16(dir, 20);  // made by
    Put16(dir, 20);  // needed
    Put16(dir, 0);
    Put16(dir, item.method);
    Put16(dir, kDosTime);
    Put16(dir, kDosDate);
    Put32(dir, item.crc);
    Put32(dir, item.compressedSize);
    Put32(dir, item.uncompressedSize);
    Put16(dir, (uint32_t)item.name.size());
    Put16(dir, 0);  // extra
    Put16(dir, 0);  // comment
    Put16(dir, 0);  // disk number start
    Put16(dir, 0);  // internal attributes
    Put32(dir, 0);  // external attributes
    Put32(dir, offset);
    dir += item.name;
  }
  uint32_t dirOffset = (uint32_t)out.size();
  out += dir;
  // End of central directory record.
  Put32(out, 0x06054b50);
  Put16(out, 0);  // this disk
  Put16(out, 0);  // disk with the directory
  Put16(out, (uint32_t)m_items.size());
  Put16(out, (uint32_t)m_items.size());
  Put32(out, (uint32_t)dir.size());
  Put32(out, dirOffset);
  Put16(out, 0);  // comment length
  return out;
}

bool ZipBuilder::Save(const std::wstring& path) const {
  std::string bytes = Bytes();
  win::AutoFile f(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return f && ::WriteFile(f.get(), bytes.data(), (DWORD)bytes.size(), &written, nullptr) &&
         written == bytes.size();
}

}  // namespace testzip
