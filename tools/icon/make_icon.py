#!/usr/bin/env python3
"""Draws the stub's icon (a blue tile with a white Z) as a 16x16 and 32x32
.ico file with 32-bit images. Run once; the result is committed."""
import struct
import sys


def pixels(size):
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            inset = size // 16
            inside = inset <= x < size - inset and inset <= y < size - inset
            if not inside:
                row.append((0, 0, 0, 0))
                continue
            # The Z: top bar, bottom bar and the diagonal between them.
            m = size // 4
            bar = max(2, size // 8)
            top = m <= y < m + bar and m <= x < size - m
            bottom = size - m - bar <= y < size - m and m <= x < size - m
            span = (size - 2 * m - 2 * bar)
            diagonal = False
            if m + bar <= y < size - m - bar and span > 0:
                t = (y - m - bar) / span
                cx = (size - m - bar) - t * (size - 2 * m - bar)
                diagonal = cx - bar / 2 - 0.5 <= x <= cx + bar / 2 + 0.5
            if top or bottom or diagonal:
                row.append((255, 255, 255, 255))
            else:
                shade = int(150 + 60 * (1 - y / size))
                row.append((40, 90, shade, 255))
        rows.append(row)
    return rows


def image(size):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    body = b''
    for row in reversed(pixels(size)):
        for r, g, b, a in row:
            body += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    return header + body + b'\0' * (mask_row * size)


def main(path):
    sizes = [16, 32]
    images = [image(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


if __name__ == '__main__':
    main(sys.argv[1])
