// ZipReader over minizip's unzip interface, and the memory I/O functions of OpenBuffer.
#include "ZipReader.h"

extern "C" {
#include "unzip.h"
}

#include <cstring>

namespace ZOV {

namespace {

// Largest entry count we index; the 16-bit end record cannot name more without zip64, and
// a forged zip64 count must not make the listing loop run for ever.
const uint64_t kMaxEntries = 1u << 20;
const size_t kMaxName = 2 * 260;

typedef ZipReader::Memory Memory;

voidpf MemoryOpen(voidpf, const void* name, int mode) {
  if ((mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return nullptr;
  return const_cast<void*>(name);
}

uLong MemoryRead(voidpf, voidpf stream, void* buf, uLong size) {
  Memory* m = static_cast<Memory*>(stream);
  uint64_t left = m->position < m->size ? m->size - m->position : 0;
  uLong n = (uint64_t)size < left ? size : (uLong)left;
  if (n) memcpy(buf, m->data + m->position, n);
  m->position += n;
  return n;
}

uLong MemoryWrite(voidpf, voidpf, const void*, uLong) { return 0; }

ZPOS64_T MemoryTell(voidpf, voidpf stream) { return static_cast<Memory*>(stream)->position; }

long MemorySeek(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  Memory* m = static_cast<Memory*>(stream);
  uint64_t base;
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET: base = 0; break;
    case ZLIB_FILEFUNC_SEEK_CUR: base = m->position; break;
    case ZLIB_FILEFUNC_SEEK_END: base = m->size; break;
    default: return -1;
  }
  if (offset > m->size || base > m->size - offset) return -1;  // no seeking past the end
  m->position = base + offset;
  return 0;
}

int MemoryClose(voidpf, voidpf) { return 0; }

int MemoryError(voidpf, voidpf) { return 0; }

}  // namespace

ZipReader::~ZipReader() { Close(); }

bool ZipReader::Open(zlib_filefunc64_def_s* io, const void* name) {
  Close();
  unzFile unz = unzOpen2_64(name, io);
  if (!unz) return false;
  m_unz = unz;

  unz_global_info64 global;
  if (unzGetGlobalInfo64(unz, &global) != UNZ_OK) {
    Close();
    return false;
  }
  // Record where each entry's directory record lies, so entries can be reached by number.
  int rc = unzGoToFirstFile(unz);
  while (rc == UNZ_OK && m_positions.size() < global.number_entry && m_positions.size() < kMaxEntries) {
    unz64_file_pos pos;
    if (unzGetFilePos64(unz, &pos) != UNZ_OK) break;
    m_positions.push_back({pos.pos_in_zip_directory, pos.num_of_file});
    rc = unzGoToNextFile(unz);
  }
  return true;
}

bool ZipReader::OpenBuffer(const void* data, size_t size) {
  Close();
  m_memory.data = static_cast<const unsigned char*>(data);
  m_memory.size = size;
  m_memory.position = 0;
  zlib_filefunc64_def io = {MemoryOpen, MemoryRead,  MemoryWrite, MemoryTell,
                            MemorySeek, MemoryClose, MemoryError, nullptr};
  return Open(&io, &m_memory);
}

void ZipReader::Close() {
  if (m_unz) unzClose(m_unz);
  m_unz = nullptr;
  m_positions.clear();
}

bool ZipReader::GoTo(int index) const {
  if (!m_unz || index < 0 || index >= Count()) return false;
  unz64_file_pos pos;
  pos.pos_in_zip_directory = m_positions[index].dirOffset;
  pos.num_of_file = m_positions[index].fileNumber;
  return unzGoToFilePos64(m_unz, &pos) == UNZ_OK;
}

bool ZipReader::GetInfo(int index, ZipEntryInfo& entry) const {
  if (!GoTo(index)) return false;
  unz_file_info64 info;
  char name[kMaxName];
  if (unzGetCurrentFileInfo64(m_unz, &info, name, sizeof(name), nullptr, 0, nullptr, 0) != UNZ_OK) return false;
  // minizip terminates the name only when it fits; a longer one is cut at the buffer.
  size_t len = info.size_filename < sizeof(name) ? info.size_filename : sizeof(name) - 1;
  entry.name.assign(name, len);
  entry.dosDate = (uint32_t)info.dosDate;
  entry.attributes = (uint32_t)info.external_fa;
  entry.compressedSize = info.compressed_size;
  entry.uncompressedSize = info.uncompressed_size;
  entry.method = (int)info.compression_method;
  return true;
}

int ZipReader::Extract(int index, char* buf, uint64_t size) const {
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
