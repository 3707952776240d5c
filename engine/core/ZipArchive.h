// The engine's thin reading layer over minizip: open, list, extract into memory, close.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

namespace ZOV {

struct ZipEntry {
  std::wstring name;  // ANSI code page, then cleaned (ZipEntryName.h)
  DWORD attributes = 0;
  FILETIME created{}, accessed{}, modified{};  // the archive keeps one time: all three
  uint64_t compressedSize = 0;
  uint64_t uncompressedSize = 0;
  int method = 0;  // 0 stored, 8 deflate
};

class ZipArchive {
 public:
  ZipArchive() = default;
  ~ZipArchive();
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  // Opens the archive at a UTF-16 path, without password. False for a missing, truncated or
  // foreign file.
  bool Open(const std::wstring& path);
  void Close();
  bool IsOpen() const { return m_unz != nullptr; }

  // Entries found while opening (not what the archive's end record claims).
  int Count() const { return (int)m_positions.size(); }
  bool GetEntry(int index, ZipEntry& entry) const;
  // Inflates the entry into buf, which must hold exactly its uncompressed size. 0 on
  // success; a short entry, a damaged stream or a CRC mismatch all fail.
  int Extract(int index, char* buf, uint64_t size) const;
  // Folder for extraction to disk. The engine only ever extracts into memory, so this is
  // recorded and nothing is ever written there.
  void SetBaseFolder(const std::wstring& folder) { m_baseFolder = folder; }
  const std::wstring& BaseFolder() const { return m_baseFolder; }

 private:
  struct Position {
    uint64_t dirOffset;
    uint64_t fileNumber;
  };
  bool GoTo(int index) const;

  void* m_unz = nullptr;  // unzFile, owned
  std::vector<Position> m_positions;
  std::wstring m_baseFolder;
};

}  // namespace ZOV
