// ZipReader: the system-free part of reading a zip archive through minizip: listing the
// entries, their raw directory fields, and extraction into memory. The archive comes through
// minizip's I/O functions (a file, see ZipArchive) or from a byte buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct zlib_filefunc64_def_s;  // minizip's I/O functions (ioapi.h)

namespace ZOV {

// One entry's central-directory fields, unconverted.
struct ZipEntryInfo {
  std::string name;  // the stored bytes, cut at 2 * 260 bytes
  uint32_t dosDate = 0;
  uint32_t attributes = 0;
  uint64_t compressedSize = 0;
  uint64_t uncompressedSize = 0;
  int method = 0;  // 0 stored, 8 deflate
};

class ZipReader {
 public:
  ZipReader() = default;
  ~ZipReader();
  ZipReader(const ZipReader&) = delete;
  ZipReader& operator=(const ZipReader&) = delete;

  // Opens the archive that io's open function makes of name. False for a missing, truncated
  // or foreign archive.
  bool Open(zlib_filefunc64_def_s* io, const void* name);
  // Opens an archive held in memory; the bytes must outlive the reader's use of them.
  bool OpenBuffer(const void* data, size_t size);
  void Close();
  bool IsOpen() const { return m_unz != nullptr; }

  // Entries found while opening (not what the archive's end record claims).
  int Count() const { return (int)m_positions.size(); }
  bool GetInfo(int index, ZipEntryInfo& info) const;
  // Inflates the entry into buf, which must hold exactly its uncompressed size. 0 on
  // success; a short entry, a damaged stream or a CRC mismatch all fail.
  int Extract(int index, char* buf, uint64_t size) const;

  // A byte buffer seen as a file by minizip.
  struct Memory {
    const unsigned char* data = nullptr;
    uint64_t size = 0;
    uint64_t position = 0;
  };

 private:
  struct Position {
    uint64_t dirOffset;
    uint64_t fileNumber;
  };
  bool GoTo(int index) const;

  void* m_unz = nullptr;  // unzFile, owned
  std::vector<Position> m_positions;
  Memory m_memory;  // the buffer of OpenBuffer
};

}  // namespace ZOV
