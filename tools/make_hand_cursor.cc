// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the program's hand pointer and writes it as a Windows cursor file
// (.CUR): one 32x32 image, 32-bit colour with alpha plus the 1-bit mask,
// the hot spot at the tip of the pointing finger.
//
//   make_hand_cursor OUT.CUR
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kSize = 32;
// The tip of the index finger: the pixel that points.
constexpr int kHotX = 10;
constexpr int kHotY = 1;

// '#' outline (black), 'o' the hand (white), '.' transparent.  Row 0 is
// the top.
const char* const kHand[kSize] = {
    "................................",  // 0
    ".........###....................",  // 1
    "........#ooo#...................",  // 2
    "........#ooo#...................",  // 3
    "........#ooo#...................",  // 4
    "........#ooo#...................",  // 5
    "........#ooo#...................",  // 6
    "........#ooo####................",  // 7
    "........#ooo#ooo####............",  // 8
    "........#ooo#ooo#ooo###.........",  // 9
    "........#ooo#ooo#ooo#oo#........",  // 10
    "...##...#ooo#ooo#ooo#oo#........",  // 11
    "..#oo#..#ooo#ooo#ooo#oo#........",  // 12
    "..#ooo#.#ooo#ooo#ooo#oo#........",  // 13
    "...#ooo##oooooooooooooo#........",  // 14
    "...#oooo#oooooooooooooo#........",  // 15
    "....#ooo#oooooooooooooo#........",  // 16
    "....#oooooooooooooooooo#........",  // 17
    ".....#ooooooooooooooooo#........",  // 18
    ".....#ooooooooooooooooo#........",  // 19
    "......#ooooooooooooooo#.........",  // 20
    "......#ooooooooooooooo#.........",  // 21
    ".......#ooooooooooooo#..........",  // 22
    ".......#ooooooooooooo#..........",  // 23
    "........#ooooooooooo#...........",  // 24
    "........#ooooooooooo#...........",  // 25
    "........#ooooooooooo#...........",  // 26
    "........#############...........",  // 27
    "................................",  // 28
    "................................",  // 29
    "................................",  // 30
    "................................",  // 31
};

void Put16(std::vector<uint8_t>* out, unsigned v) {
  out->push_back(v & 0xFF);
  out->push_back((v >> 8) & 0xFF);
}

void Put32(std::vector<uint8_t>* out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

bool GridIsSound(std::string* why) {
  for (int y = 0; y < kSize; ++y) {
    if (std::strlen(kHand[y]) != kSize) {
      *why = "row " + std::to_string(y) + " is not " + std::to_string(kSize) + " wide";
      return false;
    }
    if (std::strspn(kHand[y], ".#o") != kSize) {
      *why = "row " + std::to_string(y) + " holds an unknown mark";
      return false;
    }
  }
  if (kHand[kHotY][kHotX] != '#' || kHand[kHotY - 1][kHotX] != '.') {
    *why = "the hot spot is not at the fingertip";
    return false;
  }
  return true;
}

std::vector<uint8_t> CursorFile() {
  const uint32_t xor_bytes = kSize * kSize * 4;
  const uint32_t mask_row = ((kSize + 31) / 32) * 4;  // rows padded to 32 bits
  const uint32_t mask_bytes = mask_row * kSize;
  const uint32_t image_bytes = 40 + xor_bytes + mask_bytes;
  const uint32_t image_offset = 6 + 16;

  std::vector<uint8_t> out;
  // Directory: reserved, type 2 (cursor), one image.
  Put16(&out, 0);
  Put16(&out, 2);
  Put16(&out, 1);
  // Directory entry: size, no palette, hot spot, bytes and offset.
  out.push_back(kSize);
  out.push_back(kSize);
  out.push_back(0);
  out.push_back(0);
  Put16(&out, kHotX);
  Put16(&out, kHotY);
  Put32(&out, image_bytes);
  Put32(&out, image_offset);
  // Bitmap header; the height counts the colour image and the mask.
  Put32(&out, 40);
  Put32(&out, kSize);
  Put32(&out, kSize * 2);
  Put16(&out, 1);   // planes
  Put16(&out, 32);  // bits per pixel
  Put32(&out, 0);   // no compression
  Put32(&out, xor_bytes + mask_bytes);
  Put32(&out, 0);
  Put32(&out, 0);
  Put32(&out, 0);
  Put32(&out, 0);
  // Colour image, bottom row first, blue-green-red-alpha.
  for (int y = kSize - 1; y >= 0; --y) {
    for (int x = 0; x < kSize; ++x) {
      char c = kHand[y][x];
      uint8_t v = c == 'o' ? 0xFF : 0x00;
      uint8_t a = c == '.' ? 0x00 : 0xFF;
      out.push_back(v);
      out.push_back(v);
      out.push_back(v);
      out.push_back(a);
    }
  }
  // Mask, bottom row first: a set bit leaves the screen as it is.
  for (int y = kSize - 1; y >= 0; --y) {
    std::vector<uint8_t> row(mask_row, 0);
    for (int x = 0; x < kSize; ++x) {
      if (kHand[y][x] == '.') row[x / 8] |= uint8_t(0x80 >> (x % 8));
    }
    out.insert(out.end(), row.begin(), row.end());
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUT.CUR\n", argv[0]);
    return 2;
  }
  std::string why;
  if (!GridIsSound(&why)) {
    std::fprintf(stderr, "make_hand_cursor: %s\n", why.c_str());
    return 1;
  }
  const std::vector<uint8_t> data = CursorFile();
  const std::string path = argv[1];
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
    if (!out.flush()) {
      std::fprintf(stderr, "make_hand_cursor: cannot write %s\n", temp.c_str());
      return 1;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::fprintf(stderr, "make_hand_cursor: cannot write %s\n", path.c_str());
    std::remove(temp.c_str());
    return 1;
  }
  return 0;
}
