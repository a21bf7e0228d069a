#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads what the Quenmoor window shows from a screenshot in PPM form.

  shot.py rows SHOT.ppm OX OY list1|list2   rows shown in the list
  shot.py ticked SHOT.ppm OX OY ROW          1 when row ROW's box is ticked

OX, OY: the window's client origin on the screen.  Positions below are
client pixels of the window's fixed layout; rows are 14 pixels high under
an 18-pixel header.
"""
import sys

ROW_HEIGHT = 14
# left, right of the text column; top of the first row; bottom of the list
LISTS = {
    "list1": (12, 470, 27, 176),
    "list2": (560, 890, 61, 409),
}
BOX_X = 547          # centre of a result row's check box
BOX_FIRST_Y = 68     # centre of row 1's check box


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or fields[3] != b"255":
        raise SystemExit("shot.py: %s is not an 8-bit PPM" % path)
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:]


class Shot:
    def __init__(self, path, ox, oy):
        self.width, self.height, self.pixels = read_ppm(path)
        self.ox, self.oy = ox, oy

    def rgb(self, x, y):
        i = ((self.oy + y) * self.width + self.ox + x) * 3
        return self.pixels[i], self.pixels[i + 1], self.pixels[i + 2]

    def count(self, x0, x1, y0, y1, test):
        return sum(1 for y in range(y0, y1) for x in range(x0, x1) if test(self.rgb(x, y)))


def not_white(p):
    return min(p) < 200


def dark(p):
    return max(p) < 110


def rows(shot, which):
    left, right, top, bottom = LISTS[which]
    n = 0
    while top + (n + 1) * ROW_HEIGHT <= bottom:
        y0 = top + n * ROW_HEIGHT + 2
        if shot.count(left, right, y0, y0 + ROW_HEIGHT - 4, not_white) < 10:
            break
        n += 1
    return n


def ticked(shot, row):
    y = BOX_FIRST_Y + (row - 1) * ROW_HEIGHT
    return shot.count(BOX_X - 3, BOX_X + 4, y - 3, y + 4, dark) >= 4


def main(argv):
    if len(argv) != 6 or argv[1] not in ("rows", "ticked"):
        raise SystemExit(__doc__)
    shot = Shot(argv[2], int(argv[3]), int(argv[4]))
    if argv[1] == "rows":
        print(rows(shot, argv[5]))
    else:
        print(1 if ticked(shot, int(argv[5])) else 0)


if __name__ == "__main__":
    main(sys.argv)
