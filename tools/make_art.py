#!/usr/bin/env python3
"""make_art.py ICO BMP: writes the program icon (32x32, a stylised "Q") and
the archive component's 24x24 bitmap, deterministically."""
import struct
import sys


def pixels(size, inside):
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up
        rows.append([inside(x, y, size) for x in range(size)])
    return rows


def q_mark(x, y, size):
    cx = cy = (size - 1) / 2
    r = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
    ring = size * 0.30 <= r <= size * 0.45
    tail = abs((x - cx) - (y - cy)) <= 1.5 and x > cx + size * 0.1 and y > cy + size * 0.1
    if ring or tail:
        return (0x8A, 0x4B, 0x1F, 0xFF)  # BGRA: a deep blue
    return (0, 0, 0, 0)


def box(x, y, size):
    edge = x in (0, size - 1) or y in (0, size - 1) or x == y or x == size - 1 - y
    return (0x30, 0x30, 0x30) if edge else (0xD4, 0xD0, 0xC8)


def icon(size=32):
    rows = pixels(size, q_mark)
    xor = b"".join(bytes(c for p in row for c in p) for row in rows)
    mask_row = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_row * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    return struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), 22) + image


def bitmap(size=24):
    rows = pixels(size, box)
    stride = (size * 3 + 3) & ~3
    data = b"".join(bytes(c for p in row for c in p).ljust(stride, b"\0") for row in rows)
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(info) + len(data), 0, 0, 14 + len(info)) + info + data


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as f:
        f.write(icon())
    with open(sys.argv[2], "wb") as f:
        f.write(bitmap())
