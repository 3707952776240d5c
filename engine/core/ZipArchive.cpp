// ZipArchive over minizip's unzip interface, reading through UTF-16 paths.
#include "ZipArchive.h"

#include "TextConv.h"
#include "ZipEntryName.h"

extern "C" {
#include "unzip.h"  // before iowin32.h, which needs its zlib macros
#include "iowin32.h"
}

namespace ZOV {

namespace {

// Largest entry count we index; the 16-bit end record cannot name more without zip64, and
// a forged zip64 count must not make the listing loop run for ever.
const uint64_t kMaxEntries = 1u << 20;

FILETIME DosTimeToFileTime(uLong dosDate) {
  FILETIME local{}, utc{};
  if (!::DosDateTimeToFileTime(HIWORD(dosDate), LOWORD(dosDate), &local)) return utc;
  ::LocalFileTimeToFileTime(&local, &utc);
  return utc;
}

}  // namespace

ZipArchive::~ZipArchive() { Close(); }

bool ZipArchive::Open(const std::wstring& path) {
  Close();
  zlib_filefunc64_def io;
  fill_win32_filefunc64W(&io);
  unzFile unz = unzOpen2_64(path.c_str(), &io);
  if (!unz) return false;
  m_unz = unz;

  unz_global_info64 global;
  if (unzGetGlobalInfo64(unz, &global) != UNZ_OK) {
    Close();
    return false;
  }
  // Record where each entry's directory record lies, so entries can be reached by number.
  int rc = unzGoToFirstFile(unz);
  while (rc == UNZ_OK && m_positions.size() < global.number_entry &&
         m_positions.size() < kMaxEntries) {
    unz64_file_pos pos;
    if (unzGetFilePos64(unz, &pos) != UNZ_OK) break;
    m_positions.push_back({pos.pos_in_zip_directory, pos.num_of_file});
    rc = unzGoToNextFile(unz);
  }
  return true;
}

void ZipArchive::Close() {
  if (m_unz) unzClose(m_unz);
  m_unz = nullptr;
  m_positions.clear();
}

bool ZipArchive::GoTo(int index) const {
  if (!m_unz || index < 0 || index >= Count()) return false;
  unz64_file_pos pos;
  pos.pos_in_zip_directory = m_positions[index].dirOffset;
  pos.num_of_file = m_positions[index].fileNumber;
  return unzGoToFilePos64(m_unz, &pos) == UNZ_OK;
}

bool ZipArchive::GetEntry(int index, ZipEntry& entry) const {
  if (!GoTo(index)) return false;
  unz_file_info64 info;
  char name[MAX_PATH * 2];
  if (unzGetCurrentFileInfo64(m_unz, &info, name, sizeof(name), nullptr, 0, nullptr, 0) != UNZ_OK)
    return false;
  // minizip terminates the name only when it fits; a longer one is cut at the buffer.
  size_t len = info.size_filename < sizeof(name) ? info.size_filename : sizeof(name) - 1;
  name[len] = '\0';
  entry.name = CleanZipEntryName(text::AnsiToWide(std::string(name, len)));
  entry.attributes = (DWORD)info.external_fa;
  entry.modified = DosTimeToFileTime(info.dosDate);
  entry.created = entry.accessed = entry.modified;
  entry.compressedSize = info.compressed_size;
  entry.uncompressedSize = info.uncompressed_size;
  entry.method = (int)info.compression_method;
  return true;
}

int ZipArchive::Extract(int index, char* buf, uint64_t size) const {
  if (!GoTo(index)) return -1;
  if (unzOpenCurrentFile(m_unz) != UNZ_OK) return -1;
  uint64_t done = 0;
  bool ok = true;
  while (done < size) {
    unsigned chunk = (unsigned)((size - done) < 0x10000000u ? (size - done) : 0x10000000u);
    int got = unzReadCurrentFile(m_unz, buf + done, chunk);
    if (got <= 0) {
      ok = false;
      break;
    }
    done += (uint64_t)got;
  }
  // Closing checks the CRC once the whole declared size has been read.
  int closeRc = unzCloseCurrentFile(m_unz);
  return ok && closeRc == UNZ_OK ? 0 : -1;
}

}  // namespace ZOV
