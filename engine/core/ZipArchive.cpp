// ZipArchive: files read through minizip's UTF-16 Win32 I/O; names from the ANSI code page.
#include "ZipArchive.h"

#include "TextConv.h"
#include "ZipEntryName.h"

extern "C" {
#include "unzip.h"  // before iowin32.h, which needs its zlib macros
#include "iowin32.h"
}

namespace ZOV {

namespace {

FILETIME DosTimeToFileTime(uint32_t dosDate) {
  FILETIME local{}, utc{};
  if (!::DosDateTimeToFileTime(HIWORD(dosDate), LOWORD(dosDate), &local)) return utc;
  ::LocalFileTimeToFileTime(&local, &utc);
  return utc;
}

}  // namespace

bool ZipArchive::Open(const std::wstring& path) {
  zlib_filefunc64_def io;
  fill_win32_filefunc64W(&io);
  return m_reader.Open(&io, path.c_str());
}

bool ZipArchive::GetEntry(int index, ZipEntry& entry) const {
  ZipEntryInfo info;
  if (!m_reader.GetInfo(index, info)) return false;
  entry.name = CleanZipEntryName(text::AnsiToWide(info.name));
  entry.attributes = info.attributes;
  entry.modified = DosTimeToFileTime(info.dosDate);
  entry.created = entry.accessed = entry.modified;
  entry.compressedSize = info.compressedSize;
  entry.uncompressedSize = info.uncompressedSize;
  entry.method = info.method;
  return true;
}

}  // namespace ZOV
