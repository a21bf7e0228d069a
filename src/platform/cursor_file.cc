// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/cursor_file.h"

#include <sys/stat.h>

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>

namespace qm {
namespace {

constexpr int kDirectoryBytes = 6;
constexpr int kEntryBytes = 16;

unsigned U16(const QByteArray& data, int at) {
  return unsigned(uint8_t(data[at])) | unsigned(uint8_t(data[at + 1])) << 8;
}

uint32_t U32(const QByteArray& data, int at) {
  return uint32_t(U16(data, at)) | uint32_t(U16(data, at + 2)) << 16;
}

bool Fail(std::string* why, const std::string& text) {
  if (why) *why = text;
  return false;
}

}  // namespace

bool ReadCursorFile(const std::string& path, CursorFile* out, std::string* why) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return Fail(why, "Cannot open the cursor file: " + std::string(std::strerror(errno)));
  if (!S_ISREG(st.st_mode)) return Fail(why, "The cursor file is not a file");
  if (st.st_size == 0) return Fail(why, "The cursor file is empty");
  if (st.st_size > kMaxCursorFileBytes) return Fail(why, "The cursor file is too large");

  std::ifstream in(path, std::ios::binary);
  if (!in) return Fail(why, "Cannot open the cursor file: " + std::string(std::strerror(errno)));
  QByteArray data(int(st.st_size), '\0');
  in.read(data.data(), data.size());
  if (in.gcount() != data.size()) return Fail(why, "The cursor file could not be read whole");
  if (in.peek() != std::char_traits<char>::eof()) return Fail(why, "The cursor file changed while it was read");

  const int size = data.size();
  if (size < kDirectoryBytes) return Fail(why, "The cursor file is truncated");
  if (U16(data, 0) != 0 || U16(data, 2) != 2) return Fail(why, "The file is not a cursor");
  const unsigned count = U16(data, 4);
  if (count == 0) return Fail(why, "The cursor file holds no image");
  const long directory_end = kDirectoryBytes + long(count) * kEntryBytes;
  if (directory_end > size) return Fail(why, "The cursor file is truncated");
  for (unsigned i = 0; i < count; ++i) {
    const int entry = kDirectoryBytes + int(i) * kEntryBytes;
    const uint32_t bytes = U32(data, entry + 8);
    const uint32_t offset = U32(data, entry + 12);
    if (bytes == 0 || offset < directory_end || offset > uint32_t(size) || bytes > uint32_t(size) - offset) {
      return Fail(why, "The cursor file is truncated or damaged");
    }
  }
  // The first entry: width and height 0 mean 256.
  const int width = uint8_t(data[kDirectoryBytes]) ? uint8_t(data[kDirectoryBytes]) : 256;
  const int height = uint8_t(data[kDirectoryBytes + 1]) ? uint8_t(data[kDirectoryBytes + 1]) : 256;
  const int hot_x = int(U16(data, kDirectoryBytes + 4));
  const int hot_y = int(U16(data, kDirectoryBytes + 6));
  if (hot_x >= width || hot_y >= height) return Fail(why, "The cursor's hot spot lies outside its picture");

  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "cur");
  reader.setDecideFormatFromContent(false);
  QImage image = reader.read();
  if (image.isNull()) return Fail(why, "The cursor's picture cannot be read");
  if (image.width() != width || image.height() != height) {
    return Fail(why, "The cursor's picture does not match its directory");
  }
  out->image = image;
  out->hot_x = hot_x;
  out->hot_y = hot_y;
  return true;
}

}  // namespace qm
