#!/usr/bin/env python3
"""Draws the program icon (resources/kestrum.ico): a terminal window with
two tabs and a prompt, at 16, 32 and 48 pixels, 32-bit with alpha."""
import struct, sys

def draw(n):
    px = [[(0, 0, 0, 0)] * n for _ in range(n)]
    s = n / 32.0
    def rect(x0, y0, x1, y1, c):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                if 0 <= x < n and 0 <= y < n:
                    px[y][x] = c
    frame = (40, 70, 120, 255)
    rect(1, 3, 13, 9, (70, 130, 200, 255))      # active tab
    rect(14, 5, 25, 9, (120, 150, 190, 255))    # second tab
    rect(1, 8, 31, 30, frame)                   # window frame
    rect(3, 10, 29, 28, (20, 24, 28, 255))      # terminal
    rect(5, 13, 7, 15, (90, 220, 120, 255))     # prompt ">"
    rect(7, 15, 9, 17, (90, 220, 120, 255))
    rect(5, 17, 7, 19, (90, 220, 120, 255))
    rect(11, 18, 19, 20, (200, 200, 200, 255))  # cursor line
    return px

def image(n):
    px = draw(n)
    rows = b''.join(bytes((b, g, r, a)) for row in reversed(px) for (r, g, b, a) in row)
    mask_row = ((n + 31) // 32) * 4
    mask = b'\0' * (mask_row * n)
    head = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 32, 0, len(rows) + len(mask), 0, 0, 0, 0)
    return head + rows + mask

sizes = [16, 32, 48]
imgs = [image(n) for n in sizes]
out = struct.pack('<HHH', 0, 1, len(sizes))
offset = 6 + 16 * len(sizes)
for n, img in zip(sizes, imgs):
    out += struct.pack('<BBBBHHII', n, n, 0, 0, 1, 32, len(img), offset)
    offset += len(img)
out += b''.join(imgs)
open(sys.argv[1] if len(sys.argv) > 1 else 'resources/kestrum.ico', 'wb').write(out)
