#!/usr/bin/env python3
"""Draws the launcher's pictures and icons and writes them as palette BMP and ICO files.

Run from the repository root: python3 tools/make_artwork.py
The output in ui/resources/ is committed; rerun only to change the artwork.
"""

import math
import struct
from pathlib import Path

OUT = Path(__file__).resolve().parent.parent / "ui" / "resources"


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


# A night sky over rolling hills with a ringed planet: 256 colours in bands.
NIGHT, DUSK, HILL_FAR, HILL_NEAR, PLANET, RING = (
    (12, 16, 48), (170, 80, 120), (40, 70, 90), (20, 40, 30), (240, 190, 90), (200, 220, 255))


def scene_palette():
    palette = [mix(NIGHT, DUSK, i / 63) for i in range(64)]          # 0..63 sky
    palette += [mix(HILL_FAR, NIGHT, i / 31) for i in range(32)]     # 64..95 far hills
    palette += [mix(HILL_NEAR, (0, 0, 0), i / 31) for i in range(32)]  # 96..127 near hills
    palette += [mix(PLANET, (90, 40, 20), i / 63) for i in range(64)]  # 128..191 planet
    palette += [mix(RING, (60, 60, 90), i / 31) for i in range(32)]    # 192..223 ring
    palette += [mix((255, 255, 255), NIGHT, i / 31) for i in range(32)]  # 224..255 stars
    return palette


def scene_pixel(x, y, width, height):
    u, v = x / width, y / height
    far = 0.62 + 0.06 * math.sin(u * 7.0) + 0.03 * math.sin(u * 17.0)
    near = 0.78 + 0.08 * math.sin(u * 4.0 + 1.3) + 0.02 * math.sin(u * 29.0)
    if v > near:
        return 96 + min(31, int((v - near) / (1 - near + 1e-9) * 31))
    if v > far:
        return 64 + min(31, int((v - far) / (near - far + 1e-9) * 31))
    cx, cy, r = 0.7, 0.3, 0.16
    dx, dy = (u - cx) * width / height, v - cy
    ring = (dx * math.cos(0.35) + dy * math.sin(0.35)) ** 2 / 0.09 + \
           (-dx * math.sin(0.35) + dy * math.cos(0.35)) ** 2 / 0.0016
    d = math.hypot(dx, dy)
    if 0.8 < ring < 1.2 and not (d < r and -dx * math.sin(0.35) + dy * math.cos(0.35) < 0):
        return 192 + min(31, int(abs(ring - 1) * 77))
    if d < r:
        shade = (dx + dy) / (2 * r) + 0.5
        return 128 + max(0, min(63, int(shade * 63)))
    h = (x * 73856093 ^ y * 19349663) & 0xFFFF
    if h < 90:
        return 224 + (h % 24)
    return int(v / far * 63)


def write_bmp(path, width, height, palette, pixel):
    row = (width + 3) & ~3
    bits = bytearray()
    for y in range(height - 1, -1, -1):
        line = bytes(pixel(x, y, width, height) for x in range(width))
        bits += line + bytes(row - width)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(bits), 2835, 2835, 256, 0)
    offset = 14 + len(info) + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    path.write_bytes(header + info + colours + bytes(bits))


# The icon: a bold white "Z" on a round orange badge with a dark outline.
ICON16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
          (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
          (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def icon_shape(x, y, size):
    """0 transparent, 1 outline, 2 badge, 3 letter, with a shade 0..1 for the badge."""
    c = (size - 1) / 2
    d = math.hypot(x - c, y - c) / (size / 2)
    if d > 1.0:
        return 0, 0
    if d > 0.86:
        return 1, 0
    m = size * 0.27
    lo, hi = m, size - 1 - m
    stroke = max(1.0, size * 0.11)
    if lo <= x <= hi and lo <= y <= hi:
        if y < lo + stroke or y > hi - stroke:
            return 3, 0
        t = (y - lo) / (hi - lo)
        if abs(x - (hi - t * (hi - lo))) < stroke * 0.9:
            return 3, 0
    return 2, (x + y) / (2 * size)


def icon_image(size, bpp):
    if bpp == 4:
        palette = ICON16
        colour = {1: 0, 2: 9, 3: 15}

        def index(kind, shade):
            if kind == 2:
                return 11 if shade < 0.35 else 9
            return colour[kind]
    else:
        palette = [(0, 0, 0), (20, 20, 30), (255, 255, 255)]
        palette += [mix((255, 200, 60), (200, 60, 20), i / 252) for i in range(253)]

        def index(kind, shade):
            return {1: 1, 3: 2}.get(kind, 3 + int(shade * 252))
    palette = palette + [(0, 0, 0)] * ((1 << bpp) - len(palette))
    xor_row = ((size * bpp + 31) // 32) * 4
    and_row = ((size + 31) // 32) * 4
    xor, mask = bytearray(), bytearray()
    for y in range(size - 1, -1, -1):
        values, bits = [], [0] * and_row
        for x in range(size):
            kind, shade = icon_shape(x, y, size)
            values.append(index(kind, shade) if kind else 0)
            if not kind:
                bits[x // 8] |= 0x80 >> (x % 8)
        if bpp == 8:
            line = bytes(values)
        else:
            line = bytes((values[i] << 4) | (values[i + 1] if i + 1 < size else 0)
                         for i in range(0, size, 2))
        xor += line + bytes(xor_row - len(line))
        mask += bytes(bits)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, len(xor) + len(mask),
                       0, 0, 0, 0)
    return info + colours + bytes(xor) + bytes(mask)


def write_ico(path, images):
    data = [icon_image(size, bpp) for size, bpp in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, bpp), blob in zip(images, data):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 16 if bpp == 4 else 0, 0, 1, bpp,
                           len(blob), offset)
        offset += len(blob)
    path.write_bytes(out + b"".join(data))


def main():
    palette = scene_palette()
    write_bmp(OUT / "artwork.bmp", 245, 171, palette, scene_pixel)
    write_bmp(OUT / "about.bmp", 256, 256, palette, scene_pixel)
    write_ico(OUT / "launcher.ico", [(32, 4), (16, 4), (48, 8), (16, 8), (32, 8)])
    write_ico(OUT / "launcher_alternate.ico", [(32, 4), (16, 8), (32, 8), (48, 8)])


if __name__ == "__main__":
    main()
