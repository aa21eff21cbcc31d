#!/usr/bin/env python3
"""Draws the maker pictures of the sample catalogue into OUT_DIR (the build
makes them in its sample catalogue's Bmpdata/):

    scripts/make_maker_pictures.py OUT_DIR

One picture per maker, named after it with ".bmp", and NULL.bmp for makers
without one: a card in the maker's colours with a chip on the left and the
maker's name in dot letters on the right. The dialog shows them in a 160 x 60
box; they are drawn at three times that size so that they stay sharp when the
screen scales them up, and are anti-aliased by sampling each pixel 4 x 4
times. Files are 8-bit RLE bitmaps (a palette of the colours used), which
keeps them small. Every run writes the same bytes.
"""
import pathlib
import struct
import sys

WIDTH, HEIGHT = 480, 180
SAMPLES = 4  # per axis

# name -> (card top colour, card bottom colour, letter colour, text lines)
MAKERS = {
    "ATMEL": ((40, 96, 168), (22, 58, 120), (255, 255, 255), ["ATMEL"]),
    "VALEMICRO": ((32, 132, 96), (18, 92, 64), (255, 255, 255), ["VALE", "MICRO"]),
    "NORTHCHIP": ((176, 72, 40), (132, 44, 24), (255, 246, 230), ["NORTH", "CHIP"]),
    "General Type": ((92, 96, 108), (58, 62, 72), (255, 255, 255), ["GENERAL", "TYPE"]),
    "First Setup": ((214, 160, 40), (170, 118, 20), (40, 28, 8), ["FIRST", "SETUP"]),
    "NULL": ((206, 208, 212), (168, 170, 176), (80, 82, 90), ["NO", "LOGO"]),
}

# A 5 x 7 dot font: each letter is seven rows of five dots.
FONT = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "B": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    "C": ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    "D": ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "F": ["11111", "10000", "10000", "11110", "10000", "10000", "10000"],
    "G": ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    "H": ["10001", "10001", "10001", "11111", "10001", "10001", "10001"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "Y": ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
}


def rounded_rect(x0, y0, x1, y1, r):
    """Coverage test of a rectangle with rounded corners."""
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return (x0, y0, x1, y1), inside


def circle(cx, cy, r):
    return (cx - r, cy - r, cx + r, cy + r), lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def both(a, b):
    """Where two shapes overlap."""
    (ax0, ay0, ax1, ay1), ain = a
    (bx0, by0, bx1, by1), bin_ = b
    box = (max(ax0, bx0), max(ay0, by0), min(ax1, bx1), min(ay1, by1))
    return box, lambda x, y: ain(x, y) and bin_(x, y)


class Canvas:
    def __init__(self, w, h, colour):
        self.w, self.h = w, h
        self.px = [[list(colour) for _ in range(w)] for _ in range(h)]

    def fill(self, shape, colour, shade=None):
        """Paints a shape; shade(y) may give the colour per row (a gradient)."""
        (x0, y0, x1, y1), inside = shape
        n = SAMPLES * SAMPLES
        for y in range(max(0, int(y0)), min(self.h, int(y1) + 2)):
            c = shade(y) if shade else colour
            for x in range(max(0, int(x0)), min(self.w, int(x1) + 2)):
                hits = 0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        if inside(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES):
                            hits += 1
                if hits:
                    a = hits / n
                    p = self.px[y][x]
                    for i in range(3):
                        p[i] = p[i] * (1 - a) + c[i] * a


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def draw_chip(cv, x, y, w, h):
    pins = 6
    pin_w, pin_h = w / (pins * 2 + 1), h * 0.16
    for row_y in (y - pin_h + 4, y + h - 4):
        for i in range(pins):
            px = x + pin_w * (2 * i + 1)
            cv.fill(rounded_rect(px, row_y, px + pin_w, row_y + pin_h, 2), (196, 200, 208))
    body = rounded_rect(x, y, x + w, y + h, 8)
    cv.fill(body, None, shade=lambda yy: mix((62, 64, 72), (26, 28, 34), (yy - y) / h))
    # The notch and the dot of pin 1.
    cv.fill(both(body, circle(x, y + h / 2, h * 0.16)), (14, 15, 19))
    cv.fill(circle(x + w * 0.14, y + h * 0.74, h * 0.07), (150, 154, 164))


def draw_text(cv, lines, colour, left, right, top, bottom):
    longest = max(len(line) for line in lines)
    cols = longest * 6 - 1
    rows = len(lines) * 8 - 1
    cell = min((right - left) / cols, (bottom - top) / rows, 9.0)
    dot = cell * 0.47
    height = rows * cell
    y0 = top + ((bottom - top) - height) / 2
    for li, line in enumerate(lines):
        width = (len(line) * 6 - 1) * cell
        x0 = left + ((right - left) - width) / 2
        for ci, ch in enumerate(line):
            glyph = FONT.get(ch)
            if not glyph:
                continue
            for gy, bits in enumerate(glyph):
                for gx, bit in enumerate(bits):
                    if bit == "1":
                        cx = x0 + (ci * 6 + gx + 0.5) * cell
                        cy = y0 + (li * 8 + gy + 0.5) * cell
                        cv.fill(circle(cx, cy, dot), colour)


def draw_picture(top, bottom, ink, lines):
    cv = Canvas(WIDTH, HEIGHT, (255, 255, 255))
    cv.fill(rounded_rect(3, 3, WIDTH - 4, HEIGHT - 4, 22), None,
            shade=lambda y: mix(top, bottom, y / HEIGHT))
    # A lighter band across the top edge of the card.
    cv.fill(rounded_rect(12, 10, WIDTH - 13, 22, 6), None,
            shade=lambda y: mix(mix(top, (255, 255, 255), 0.35), top, (y - 10) / 12))
    draw_chip(cv, 34, 52, 120, 76)
    draw_text(cv, lines, ink, 184, WIDTH - 26, 36, HEIGHT - 36)
    return cv


def quantised(cv):
    """The pixels as palette indices: the 256 colours used most (the fills and
    the gradient's rows) make the palette, and the few others (edge pixels)
    take the nearest of them."""
    counts = {}
    pixels = [[tuple(min(255, int(round(v))) for v in p) for p in row] for row in cv.px]
    for row in pixels:
        for c in row:
            counts[c] = counts.get(c, 0) + 1
    palette = sorted(counts, key=lambda c: (-counts[c], c))[:256]
    index = {c: i for i, c in enumerate(palette)}

    def nearest(c):
        if c not in index:
            index[c] = min(range(len(palette)),
                           key=lambda i: sum((palette[i][k] - c[k]) ** 2 for k in range(3)))
        return index[c]

    return [[nearest(c) for c in row] for row in pixels], palette


def rle8_bmp(rows, palette):
    data = bytearray()
    for row in reversed(rows):  # bottom-up
        i = 0
        while i < len(row):
            n = 1
            while i + n < len(row) and row[i + n] == row[i] and n < 255:
                n += 1
            data += bytes((n, row[i]))
            i += n
        data += b"\x00\x00"  # end of line
    data += b"\x00\x01"  # end of bitmap
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    pal += b"\x00" * (4 * (256 - len(palette)))
    offset = 14 + 40 + len(pal)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 1, len(data), 11811, 11811,
                       256, 0)
    return header + info + pal + bytes(data)


def main(out_dir: pathlib.Path) -> None:
    out_dir.mkdir(parents=True, exist_ok=True)
    for name, (top, bottom, ink, lines) in MAKERS.items():
        rows, palette = quantised(draw_picture(top, bottom, ink, lines))
        (out_dir / (name + ".bmp")).write_bytes(rle8_bmp(rows, palette))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: make_maker_pictures.py OUT_DIR")
    main(pathlib.Path(sys.argv[1]))
