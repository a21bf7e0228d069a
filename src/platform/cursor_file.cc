// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/cursor_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QImageReader>
#include <cstdint>

#include "platform/failure.h"
#include "platform/whole_file.h"

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
  // Read as every file of the program's own is: never a FIFO, a device or
  // anything over the size limit.
  static const WholeFileWords words = {
      "qm::CursorFile",
      QT_TRANSLATE_NOOP("qm::CursorFile", "The cursor file %1 is %2, not a file"),
      QT_TRANSLATE_NOOP("qm::CursorFile", "The cursor file %1 is too large (%2)"),
      QT_TRANSLATE_NOOP("qm::CursorFile", "The cursor file %1 cannot be read: %2"),
  };
  std::string bytes;
  try {
    if (!ReadWholeFile(path, kMaxCursorFileBytes, words, &bytes)) {
      return Fail(why, "There is no cursor file");
    }
  } catch (const Failure& failure) {
    return Fail(why, failure.what());
  }
  if (bytes.empty()) return Fail(why, "The cursor file is empty");
  QByteArray data = QByteArray::fromStdString(bytes);

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
    if (bytes == 0 || offset < directory_end || offset > uint32_t(size) ||
        bytes > uint32_t(size) - offset) {
      return Fail(why, "The cursor file is truncated or damaged");
    }
  }
  // The first entry: width and height 0 mean 256.
  const int width = uint8_t(data[kDirectoryBytes]) ? uint8_t(data[kDirectoryBytes]) : 256;
  const int height = uint8_t(data[kDirectoryBytes + 1]) ? uint8_t(data[kDirectoryBytes + 1]) : 256;
  const int hot_x = int(U16(data, kDirectoryBytes + 4));
  const int hot_y = int(U16(data, kDirectoryBytes + 6));
  if (hot_x >= width || hot_y >= height)
    return Fail(why, "The cursor's hot spot lies outside its picture");

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
