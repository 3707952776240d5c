// PNG (colour type 6, 8 bits) and 24-bit BMP writers for tests.
#include "PngWriter.h"

#include <zlib.h>

namespace {

void Be32(std::string& s, uint32_t v) {
  for (int i = 3; i >= 0; --i) s += (char)((v >> (8 * i)) & 0xFF);
}
void Le(std::string& s, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += (char)((v >> (8 * i)) & 0xFF);
}

void Chunk(std::string& png, const char* type, const std::string& data) {
  Be32(png, (uint32_t)data.size());
  std::string body = std::string(type, 4) + data;
  png += body;
  Be32(png, (uint32_t)crc32(0, reinterpret_cast<const Bytef*>(body.data()), (uInt)body.size()));
}

}  // namespace

std::string MakePngRgba(int width, int height, const std::vector<uint32_t>& pixels) {
  std::string raw;
  for (int y = 0; y < height; ++y) {
    raw += '\0';  // filter: none
    for (int x = 0; x < width; ++x) {
      uint32_t p = pixels[(size_t)y * width + x];
      raw += (char)((p >> 16) & 0xFF);
      raw += (char)((p >> 8) & 0xFF);
      raw += (char)(p & 0xFF);
      raw += (char)((p >> 24) & 0xFF);
    }
  }
  uLongf size = compressBound((uLong)raw.size());
  std::string z(size, '\0');
  compress(reinterpret_cast<Bytef*>(&z[0]), &size, reinterpret_cast<const Bytef*>(raw.data()), (uLong)raw.size());
  z.resize(size);

  std::string png("\x89PNG\r\n\x1a\n", 8);
  std::string ihdr;
  Be32(ihdr, (uint32_t)width);
  Be32(ihdr, (uint32_t)height);
  ihdr += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, no filter, no interlace
  Chunk(png, "IHDR", ihdr);
  Chunk(png, "IDAT", z);
  Chunk(png, "IEND", "");
  return png;
}

std::string MakeBmp24(int width, int height, const std::vector<uint32_t>& pixels) {
  int pitch = ((width * 3 + 3) / 4) * 4;
  std::string bits;
  for (int y = height - 1; y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      uint32_t p = pixels[(size_t)y * width + x];
      bits += (char)(p & 0xFF);
      bits += (char)((p >> 8) & 0xFF);
      bits += (char)((p >> 16) & 0xFF);
    }
    bits += std::string(pitch - width * 3, '\0');
  }
  std::string bmp = "BM";
  Le(bmp, 14 + 40 + (uint32_t)bits.size(), 4);
  Le(bmp, 0, 4);
  Le(bmp, 14 + 40, 4);
  Le(bmp, 40, 4);
  Le(bmp, (uint32_t)width, 4);
  Le(bmp, (uint32_t)height, 4);
  Le(bmp, 1, 2);
  Le(bmp, 24, 2);
  Le(bmp, 0, 4);
  Le(bmp, (uint32_t)bits.size(), 4);
  Le(bmp, 2835, 4);
  Le(bmp, 2835, 4);
  Le(bmp, 0, 4);
  Le(bmp, 0, 4);
  return bmp + bits;
}
