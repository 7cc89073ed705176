#!/usr/bin/python3
"""Makes the control tests' own artwork in art/ (the outputs are committed; run again after a change).

    python3 tests/controls/make_test_art.py      (needs ImageMagick's convert for the JPEG)

picture.jpg     480 x 600 JPEG with fine texture, so that a piece copied from the wrong place shows
face.bmp        100 x 26 24-bit normal face: solid colour, magenta corners, a green 2 x 2 marker at (20, 6)
face_hot.bmp    the same in a brighter colour
hand.cur        32 x 32 monochrome cursor, hot spot (5, 0)
"""
import os
import struct
import subprocess

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "art")

FACE_NORMAL = (40, 60, 140)
FACE_HOT = (90, 150, 235)
MAGENTA = (255, 0, 255)
MARKER = (0, 255, 0)
W, H = 100, 26
CORNER = 4  # pixels with x + y < CORNER from each corner are magenta


def face_pixel(x, y, colour):
    for cx, cy in ((x, y), (W - 1 - x, y), (x, H - 1 - y), (W - 1 - x, H - 1 - y)):
        if cx + cy < CORNER:
            return MAGENTA
    if 20 <= x <= 21 and 6 <= y <= 7:
        return MARKER
    return colour


def write_bmp(path, colour):
    row_bytes = (W * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(H - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(W):
            r, g, b = face_pixel(x, y, colour)
            row += bytes((b, g, r))
        row += b"\0" * (row_bytes - len(row))
        pixels += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def write_cursor(path):
    size = 32
    # AND mask 0 and XOR 1 draw white, AND 0 / XOR 0 black, AND 1 / XOR 0 transparent: a black-edged arrow.
    xor_rows, and_rows = [], []
    for y in range(size):
        xor_bits, and_bits = 0, 0
        for x in range(size):
            inside = x <= y // 2 + 5 and x >= 5 - y // 4 and y < 24 and x >= 2
            edge = inside and (x == 2 or x == y // 2 + 5 or y == 23)
            if inside:
                and_bits |= 0  # opaque
                if not edge:
                    xor_bits |= 1 << (31 - x)
            else:
                and_bits |= 1 << (31 - x)
        xor_rows.append(struct.pack(">I", xor_bits))
        and_rows.append(struct.pack(">I", and_bits))
    # DIB rows are stored bottom-up.
    xor_data = b"".join(reversed(xor_rows))
    and_data = b"".join(reversed(and_rows))
    palette = struct.pack("<4B4B", 0, 0, 0, 0, 255, 255, 255, 0)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, len(xor_data) + len(and_data), 0, 0, 2, 0)
    image = info + palette + xor_data + and_data
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 2, 0, 5, 0, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(header + entry + image)


def main():
    os.makedirs(HERE, exist_ok=True)
    write_bmp(os.path.join(HERE, "face.bmp"), FACE_NORMAL)
    write_bmp(os.path.join(HERE, "face_hot.bmp"), FACE_HOT)
    write_cursor(os.path.join(HERE, "hand.cur"))
    subprocess.check_call([
        "convert", "-size", "480x600", "-seed", "7", "plasma:#305070-#a08040",
        "-attenuate", "0.6", "+noise", "Uniform",
        "-strip", "-interlace", "none", "-quality", "80", "-sampling-factor", "2x2",
        os.path.join(HERE, "picture.jpg")])


if __name__ == "__main__":
    main()
