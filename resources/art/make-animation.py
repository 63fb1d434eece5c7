#!/usr/bin/env python3
"""Writes animation.avi: an uncompressed 8-bit AVI of a document moving from a disc to a key,
small enough for the common animation control. Run again only to change the art."""
import struct
import sys

WIDTH, HEIGHT, FRAMES = 96, 48, 12

# Palette: 0 white (the control shows it as transparent: the first pixel's colour), then a few.
PALETTE = [(255, 255, 255), (64, 64, 64), (190, 190, 200), (40, 110, 200), (240, 240, 240), (220, 60, 40)]


def frame(n):
    px = [[0] * WIDTH for _ in range(HEIGHT)]

    def rect(x0, y0, x1, y1, c):
        for y in range(max(0, y0), min(HEIGHT, y1)):
            for x in range(max(0, x0), min(WIDTH, x1)):
                px[y][x] = c

    # The disc at the left: a grey circle with a hole.
    for y in range(HEIGHT):
        for x in range(40):
            d = (x - 18) ** 2 + (y - 24) ** 2
            if d <= 15 ** 2:
                px[y][x] = 1 if d > 14 ** 2 else (0 if d <= 3 ** 2 else 2)
    # The key at the right: a blue body with a metal plug.
    rect(70, 18, 90, 32, 3)
    rect(62, 21, 70, 29, 2)
    # The page travelling between them.
    x = 30 + (n * 30) // (FRAMES - 1)
    rect(x, 14, x + 10, 28, 1)
    rect(x + 1, 15, x + 9, 27, 4)
    for line in range(17, 26, 3):
        rect(x + 2, line, x + 8, line + 1, 5 if n % 2 else 1)
    # Bottom-up rows, each padded to four bytes.
    return b"".join(bytes(row) for row in reversed(px))


def chunk(tag, data):
    pad = b"\0" if len(data) % 2 else b""
    return tag + struct.pack("<I", len(data)) + data + pad


def riff_list(tag, kind, body):
    return tag + struct.pack("<I", len(body) + 4) + kind + body


def main(path):
    size = WIDTH * HEIGHT
    rate = 8
    avih = struct.pack("<IIIIIIIIII4I", 1000000 // rate, size * rate, 0, 0x10, FRAMES, 0, 1, size, WIDTH,
                       HEIGHT, 0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIIIhhhh", b"vids", b"DIB ", 0, 0, 0, 0, 1, rate, 0, FRAMES, size,
                       0xFFFFFFFF, 0, 0, 0, WIDTH, HEIGHT)
    bih = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, size, 0, 0, len(PALETTE), len(PALETTE))
    pal = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    strl = riff_list(b"LIST", b"strl", chunk(b"strh", strh) + chunk(b"strf", bih + pal))
    hdrl = riff_list(b"LIST", b"hdrl", chunk(b"avih", avih) + strl)
    frames = [chunk(b"00db", frame(n)) for n in range(FRAMES)]
    movi = riff_list(b"LIST", b"movi", b"".join(frames))
    index, offset = b"", 4
    for f in frames:
        index += struct.pack("<4sIII", b"00db", 0x10, offset, len(f) - 8)
        offset += len(f)
    body = hdrl + movi + chunk(b"idx1", index)
    with open(path, "wb") as out:
        out.write(riff_list(b"RIFF", b"AVI ", body))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "animation.avi")
