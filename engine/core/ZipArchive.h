// The engine's thin reading layer over minizip: open a file by its UTF-16 path, list with
// names and times converted for Windows, extract into memory, close.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

#include "ZipReader.h"

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
  ZipArchive(const ZipArchive&) = delete;
  ZipArchive& operator=(const ZipArchive&) = delete;

  // Opens the archive at a UTF-16 path, without password. False for a missing, truncated or
  // foreign file.
  bool Open(const std::wstring& path);
  void Close() { m_reader.Close(); }
  bool IsOpen() const { return m_reader.IsOpen(); }

  // Entries found while opening (not what the archive's end record claims).
  int Count() const { return m_reader.Count(); }
  bool GetEntry(int index, ZipEntry& entry) const;
  // Inflates the entry into buf, which must hold exactly its uncompressed size. 0 on
  // success; a short entry, a damaged stream or a CRC mismatch all fail.
  int Extract(int index, char* buf, uint64_t size) const { return m_reader.Extract(index, buf, size); }
  // Folder for extraction to disk. The engine only ever extracts into memory, so this is
  // recorded and nothing is ever written there.
  void SetBaseFolder(const std::wstring& folder) { m_baseFolder = folder; }
  const std::wstring& BaseFolder() const { return m_baseFolder; }

 private:
  ZipReader m_reader;
  std::wstring m_baseFolder;
};

}  // namespace ZOV
