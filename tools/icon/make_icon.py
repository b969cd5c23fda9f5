#!/usr/bin/env python3
"""Draws the stub's icon (a blue tile with a white Z) as a 16x16 and 32x32
.ico file with 16-colour images: the tile's gradient needs no more, and every
byte of the icon is downloaded with each installer. Run once; the result is
committed."""
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


# Index 0 is what transparent pixels show (the mask hides them), 1 is the
# Z's white, the rest are evenly spaced shades of the tile's blue.
SHADES = 14
PALETTE = [(0, 0, 0), (255, 255, 255)] + [
    (40, 90, 150 + round(60 * i / (SHADES - 1))) for i in range(SHADES)]


def colour_index(pixel):
    r, g, b, a = pixel
    if a == 0:
        return 0
    if (r, g, b) == (255, 255, 255):
        return 1
    return 2 + round((b - 150) * (SHADES - 1) / 60)


def image(size):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    rows = list(reversed(pixels(size)))
    colour_row = ((size * 4 + 31) // 32) * 4
    mask_row = ((size + 31) // 32) * 4
    colours = b''
    mask = b''
    for row in rows:
        indices = [colour_index(p) for p in row]
        line = bytes((indices[x] << 4) | indices[x + 1] for x in range(0, size, 2))
        colours += line.ljust(colour_row, b'\0')
        bits = 0
        for x, p in enumerate(row):
            if p[3] == 0:
                bits |= 1 << (mask_row * 8 - 1 - x)
        mask += bits.to_bytes(mask_row, 'big')
    return header + palette + colours + mask


def main(path):
    sizes = [16, 32]
    images = [image(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s, s, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


if __name__ == '__main__':
    main(sys.argv[1])
