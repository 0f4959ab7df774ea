#!/usr/bin/env python3
"""Draws the bitmaps, cursors and the icon of the language libraries into langres/art/.

Everything is drawn here from simple shapes: soft gradients for backgrounds, rounded
rectangles for skinned buttons in their four states, small pictograms for the adjustment
buttons and message dialogs, and monochrome cursors. Run it again after changing a shape;
the files it writes are kept in the repository so that the build needs no Python.
"""
import math
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "art")


class Canvas:
    def __init__(self, w, h, rgb=(255, 255, 255)):
        self.w, self.h = w, h
        self.px = [[rgb] * w for _ in range(h)]

    def put(self, x, y, rgb):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = rgb

    def vgradient(self, top, bottom):
        for y in range(self.h):
            t = y / max(1, self.h - 1)
            c = tuple(int(a + (b - a) * t) for a, b in zip(top, bottom))
            self.px[y] = [c] * self.w

    def rect(self, x0, y0, x1, y1, rgb):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[y][x] = rgb

    def round_rect(self, x0, y0, x1, y1, r, fill, border):
        for y in range(y0, y1):
            for x in range(x0, x1):
                cx = min(max(x, x0 + r), x1 - 1 - r)
                cy = min(max(y, y0 + r), y1 - 1 - r)
                d = math.hypot(x - cx, y - cy)
                if d <= r - 1:
                    self.put(x, y, fill)
                elif d <= r:
                    self.put(x, y, border)
        for x in range(x0 + r, x1 - r):
            self.put(x, y0, border)
            self.put(x, y1 - 1, border)
        for y in range(y0 + r, y1 - r):
            self.put(x0, y, border)
            self.put(x1 - 1, y, border)

    def disc(self, cx, cy, r, rgb):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                if math.hypot(x - cx, y - cy) <= r:
                    self.put(x, y, rgb)

    def ring(self, cx, cy, r0, r1, rgb):
        for y in range(int(cy - r1) - 1, int(cy + r1) + 2):
            for x in range(int(cx - r1) - 1, int(cx + r1) + 2):
                if r0 <= math.hypot(x - cx, y - cy) <= r1:
                    self.put(x, y, rgb)

    def line(self, x0, y0, x1, y1, width, rgb):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        for i in range(steps + 1):
            t = i / steps
            self.disc(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, width / 2, rgb)

    def save_bmp(self, name):
        stride = (self.w * 3 + 3) // 4 * 4
        rows = []
        for y in range(self.h - 1, -1, -1):
            row = b"".join(struct.pack("BBB", b, g, r) for r, g, b in self.px[y])
            rows.append(row + b"\0" * (stride - len(row)))
        data = b"".join(rows)
        header = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54) + header + data)


def shade(rgb, k):
    return tuple(max(0, min(255, int(c * k))) for c in rgb)


BLUE = (52, 101, 164)
PAPER = (246, 248, 251)

# Backgrounds are stretched over their windows, so a small gradient is enough.
# Glyphs 5 x 7 for the few characters the pictograms use.
GLYPHS = {
    "?": ["01110", "10001", "00001", "00010", "00100", "00000", "00100"],
    "!": ["00100", "00100", "00100", "00100", "00100", "00000", "00100"],
}


def glyph(c, ch, x0, y0, scale, rgb):
    for gy, row in enumerate(GLYPHS[ch]):
        for gx, bit in enumerate(row):
            if bit == "1":
                c.rect(x0 + gx * scale, y0 + gy * scale, x0 + (gx + 1) * scale, y0 + (gy + 1) * scale, rgb)


def background(name, w, h, top=(236, 241, 248), bottom=(214, 223, 236)):
    c = Canvas(w, h)
    c.vgradient(top, bottom)
    c.save_bmp(name)


def text_buttons():
    # normal, pressed, disabled, hover (ids 10431, 10429, 10430, 10432)
    for ident, fill, border in ((10431, (232, 238, 247), (120, 140, 170)),
                                (10429, (190, 205, 228), (70, 95, 135)),
                                (10430, (226, 226, 226), (175, 175, 175)),
                                (10432, (245, 249, 255), (90, 130, 190))):
        c = Canvas(96, 26, (236, 241, 248))
        c.round_rect(0, 0, 96, 26, 6, fill, border)
        c.save_bmp("%d.bmp" % ident)


def pictogram(c, kind, ink):
    if kind == "sun":  # brightness and contrast
        c.disc(16, 16, 6, ink)
        for i in range(8):
            a = i * math.pi / 4
            c.line(16 + 9 * math.cos(a), 16 + 9 * math.sin(a), 16 + 13 * math.cos(a), 16 + 13 * math.sin(a), 2, ink)
    elif kind == "curve":  # tone curve
        c.line(5, 27, 27, 27, 1, shade(ink, 1.6))
        c.line(5, 5, 5, 27, 1, shade(ink, 1.6))
        prev = None
        for i in range(23):
            x = 5 + i
            y = 27 - 22 * (math.sin(i / 22 * math.pi / 2) ** 0.6)
            if prev:
                c.line(prev[0], prev[1], x, y, 2, ink)
            prev = (x, y)
    elif kind == "bars":  # histogram
        for i, hgt in enumerate((6, 12, 20, 16, 9, 4)):
            c.rect(5 + i * 4, 27 - hgt, 8 + i * 4, 27, ink)
    elif kind == "gamma":  # gamma and threshold: a half-filled circle
        c.ring(16, 16, 9, 11, ink)
        for y in range(5, 28):
            for x in range(16, 28):
                if math.hypot(x - 16, y - 16) <= 9:
                    c.put(x, y, ink)


def image_buttons():
    kinds = {10413: "sun", 10417: "curve", 10421: "bars", 10425: "gamma"}
    for first, kind in kinds.items():
        # normal, pressed, hover, disabled
        for k, (face, ink) in enumerate((((238, 242, 248), BLUE), ((200, 212, 232), shade(BLUE, 0.7)),
                                         ((250, 252, 255), shade(BLUE, 1.25)), ((230, 230, 230), (160, 160, 160)))):
            c = Canvas(32, 32, (236, 241, 248))
            c.round_rect(0, 0, 32, 32, 5, face, shade(face, 0.7))
            pictogram(c, kind, ink)
            c.save_bmp("%d.bmp" % (first + k))


def message_backgrounds():
    # error, warning with OK, warning with OK and Cancel; right-to-left copies put the sign on the right
    for ltr, rtl, sign in ((10439, 10456, "error"), (10440, 10457, "warning"), (10438, 10455, "warning")):
        for ident, right in ((ltr, False), (rtl, True)):
            c = Canvas(240, 100)
            c.vgradient((250, 251, 253), (228, 233, 241))
            cx = 205 if right else 35
            if sign == "error":
                c.disc(cx, 40, 20, (200, 40, 40))
                c.line(cx - 9, 31, cx + 9, 49, 4, (255, 255, 255))
                c.line(cx + 9, 31, cx - 9, 49, 4, (255, 255, 255))
            else:
                for y in range(18, 60):
                    half = (y - 18) * 0.55
                    for x in range(int(cx - half), int(cx + half) + 1):
                        c.put(x, y, (235, 180, 30))
                glyph(c, "!", cx - 7, 30, 3, (60, 40, 0))
            c.save_bmp("%d.bmp" % ident)


def help_icon_bitmap():
    c = Canvas(18, 18, (255, 255, 255))
    c.disc(8.5, 8.5, 8.5, BLUE)
    glyph(c, "?", 4, 2, 2, (255, 255, 255))
    c.save_bmp("1014.bmp")


def write_cursor(name, hot, draw):
    """A 32 x 32 monochrome cursor: draw(put) marks pixels 'b' (black) or 'w' (white)."""
    grid = [[None] * 32 for _ in range(32)]

    def put(x, y, v):
        if 0 <= x < 32 and 0 <= y < 32:
            grid[y][x] = v

    draw(put)
    xor_rows, and_rows = [], []
    for y in range(31, -1, -1):
        xb, ab = 0, 0
        for x in range(32):
            v = grid[y][x]
            bit = 1 << (31 - x)
            if v is None:
                ab |= bit
            elif v == "w":
                xb |= bit
        xor_rows.append(struct.pack(">I", xb))
        and_rows.append(struct.pack(">I", ab))
    image = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, 0, 0, 0, 2, 0) + b"\0\0\0\0\xff\xff\xff\0"
    image += b"".join(xor_rows) + b"".join(and_rows)
    head = struct.pack("<HHH", 0, 2, 1) + struct.pack("<BBBBHHII", 32, 32, 2, 0, hot[0], hot[1], len(image), 22)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(head + image)


def magnifier(sign):
    def draw(put):
        for y in range(32):
            for x in range(32):
                d = math.hypot(x - 11, y - 11)
                if d <= 10:
                    put(x, y, "w")
                if 8 <= d <= 10:
                    put(x, y, "b")
        for i in range(9):
            for w in (-1, 0, 1):
                put(18 + i + w, 18 + i, "b")
                put(18 + i, 18 + i + w, "b")
        for i in range(6, 17):
            if sign in "+-" and True:
                put(i, 11, "b")
            if sign == "+":
                put(11, i, "b")
            if sign == "x":
                put(i, i, "b")
                put(i, 22 - i, "b")
    return draw


def hand(put):
    shape = [
        "......bb........",
        ".....bwwb.......",
        ".....bwwb.......",
        ".....bwwbbb.....",
        ".....bwwbwwbbb..",
        "..bb.bwwbwwbwwb.",
        ".bwwbbwwwwwbwwb.",
        ".bwwwbwwwwwwwwb.",
        "..bwwwwwwwwwwwb.",
        "...bwwwwwwwwwwb.",
        "...bwwwwwwwwwb..",
        "....bwwwwwwwwb..",
        "....bwwwwwwwb...",
        ".....bwwwwwwb...",
        ".....bbbbbbbb...",
    ]
    for y, row in enumerate(shape):
        for x, ch in enumerate(row):
            if ch != ".":
                put(2 * x, 2 * y, ch)
                put(2 * x + 1, 2 * y, ch)
                put(2 * x, 2 * y + 1, ch)
                put(2 * x + 1, 2 * y + 1, ch)


def write_icon(name):
    """16 x 16, 32 bits with alpha: a blue 'i' in a circle, the information icon of the basic page."""
    px = []
    for y in range(15, -1, -1):
        for x in range(16):
            d = math.hypot(x - 7.5, y - 7.5)
            if d > 7.5:
                px.append(b"\0\0\0\0")
            elif (x in (7, 8)) and (y in (3,) or 6 <= y <= 12):
                px.append(b"\xff\xff\xff\xff")
            else:
                px.append(struct.pack("BBBB", BLUE[2], BLUE[1], BLUE[0], 255))
    image = struct.pack("<IiiHHIIiiII", 40, 16, 32, 1, 32, 0, 0, 0, 0, 0, 0) + b"".join(px) + b"\0" * (4 * 16)
    head = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 16, 16, 0, 0, 1, 32, len(image), 22)
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(head + image)


def main():
    os.makedirs(OUT, exist_ok=True)
    background("1001.bmp", 48, 128)                               # main dialog, settings side
    background("1002.bmp", 48, 128, (64, 112, 176), (38, 76, 132))  # main dialog, title band
    background("1009.bmp", 48, 128)                               # save-settings page
    background("1010.bmp", 48, 128)                               # folder and e-mail dialogs
    for ident in (10433, 10434, 10435, 10436):                     # adjustment dialogs
        background("%d.bmp" % ident, 48, 128)
    background("10442.bmp", 48, 128)                              # settings summary
    background("10443.bmp", 48, 128, (58, 104, 168), (226, 234, 245))  # about
    background("10445.bmp", 48, 128)                              # basic settings page
    background("10446.bmp", 48, 128)                              # advanced settings page
    background("10451.bmp", 48, 128)                              # scan-time dialogs
    text_buttons()
    image_buttons()
    message_backgrounds()
    help_icon_bitmap()
    write_cursor("10333.cur", (11, 11), magnifier("+"))
    write_cursor("10334.cur", (11, 11), magnifier("-"))
    write_cursor("10353.cur", (11, 11), magnifier("x"))
    write_cursor("10382.cur", (14, 10), hand)
    write_icon("1012.ico")


if __name__ == "__main__":
    main()
