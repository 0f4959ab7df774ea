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
    """A picture drawn at SS times its size and averaged down when saved, so that round and
    slanted edges come out smooth. Coordinates are those of the saved picture; put and rect
    fill whole pixels, the shapes are sampled at the finer grid."""

    SS = 4

    def __init__(self, w, h, rgb=(255, 255, 255)):
        self.w, self.h = w, h
        self.px = [[rgb] * (w * self.SS) for _ in range(h * self.SS)]

    def _fill(self, X, Y, rgb):
        if 0 <= X < self.w * self.SS and 0 <= Y < self.h * self.SS:
            self.px[Y][X] = rgb

    def _sample(self, x0, y0, x1, y1, colour_at):
        """Calls colour_at(x, y) for the centre of every fine sample in the box (picture
        coordinates); a colour it returns is painted there."""
        k = self.SS
        for Y in range(max(0, int(y0 * k)), min(self.h * k, int(math.ceil(y1 * k)))):
            for X in range(max(0, int(x0 * k)), min(self.w * k, int(math.ceil(x1 * k)))):
                rgb = colour_at((X + 0.5) / k, (Y + 0.5) / k)
                if rgb is not None:
                    self.px[Y][X] = rgb

    def put(self, x, y, rgb):
        self.rect(x, y, x + 1, y + 1, rgb)

    def vgradient(self, top, bottom):
        for Y in range(self.h * self.SS):
            t = (Y // self.SS) / max(1, self.h - 1)
            self.px[Y] = [tuple(int(a + (b - a) * t) for a, b in zip(top, bottom))] * (self.w * self.SS)

    def rect(self, x0, y0, x1, y1, rgb):
        k = self.SS
        for Y in range(max(0, y0 * k), min(self.h * k, y1 * k)):
            for X in range(max(0, x0 * k), min(self.w * k, x1 * k)):
                self.px[Y][X] = rgb

    def round_rect(self, x0, y0, x1, y1, r, fill, border, width=1.0):
        """fill is a colour or a function of the height in the box (0 to 1) giving one."""
        def colour_at(x, y):
            cx = min(max(x, x0 + r), x1 - r)
            cy = min(max(y, y0 + r), y1 - r)
            d = math.hypot(x - cx, y - cy)
            if d > r:
                return None
            if d > r - width:
                return border
            return fill((y - y0) / max(1, y1 - y0)) if callable(fill) else fill
        self._sample(x0, y0, x1, y1, colour_at)

    def disc(self, cx, cy, r, rgb):
        self._sample(cx - r, cy - r, cx + r, cy + r,
                     lambda x, y: rgb if math.hypot(x - cx, y - cy) <= r else None)

    def ring(self, cx, cy, r0, r1, rgb):
        self._sample(cx - r1, cy - r1, cx + r1, cy + r1,
                     lambda x, y: rgb if r0 <= math.hypot(x - cx, y - cy) <= r1 else None)

    def line(self, x0, y0, x1, y1, width, rgb):
        """A stroke with round ends."""
        dx, dy = x1 - x0, y1 - y0
        n = dx * dx + dy * dy
        half = width / 2

        def colour_at(x, y):
            t = 0 if n == 0 else max(0, min(1, ((x - x0) * dx + (y - y0) * dy) / n))
            return rgb if math.hypot(x - (x0 + t * dx), y - (y0 + t * dy)) <= half else None
        self._sample(min(x0, x1) - half, min(y0, y1) - half, max(x0, x1) + half, max(y0, y1) + half, colour_at)

    def polygon(self, points, rgb):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]

        def inside(x, y):
            hit = False
            for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
                if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                    hit = not hit
            return rgb if hit else None
        self._sample(min(xs), min(ys), max(xs), max(ys), inside)

    def save_bmp(self, name):
        k = self.SS
        stride = (self.w * 3 + 3) // 4 * 4
        rows = []
        for y in range(self.h - 1, -1, -1):
            block = self.px[y * k:(y + 1) * k]
            row = bytearray()
            for x in range(self.w):
                total = [0, 0, 0]
                for line in block:
                    for rgb in line[x * k:(x + 1) * k]:
                        total[0] += rgb[0]
                        total[1] += rgb[1]
                        total[2] += rgb[2]
                r, g, b = (round(c / (k * k)) for c in total)
                row += struct.pack("BBB", b, g, r)
            rows.append(bytes(row) + b"\0" * (stride - len(row)))
        data = b"".join(rows)
        header = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54) + header + data)
        print("  " + name)


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
    """The text buttons in their four states (normal 10431, pressed 10429, disabled 10430,
    hover 10432), 88 x 26: the size of a 58 x 16 dialog-unit button at 96 dpi, so that they
    are stretched little there and evenly at 144 dpi."""
    for ident, top, bottom, border in ((10431, (248, 250, 253), (223, 231, 243), (118, 138, 168)),
                                       (10429, (190, 205, 228), (206, 218, 236), (70, 95, 135)),
                                       (10430, (234, 234, 234), (226, 226, 226), (180, 180, 180)),
                                       (10432, (255, 255, 255), (232, 241, 252), (74, 122, 190))):
        c = Canvas(88, 26, (233, 238, 246))

        def fill(t, top=top, bottom=bottom):
            return tuple(int(a + (b - a) * t) for a, b in zip(top, bottom))
        c.round_rect(0, 0, 88, 26, 4, fill, border)
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


def tool_pictogram(c, kind, ink):
    if kind == "arrow":  # select the scan area
        c.polygon([(7, 3), (7, 19), (10.5, 15.5), (13.5, 21.5), (16, 20.3), (13, 14.5), (18, 14.5)], ink)
    elif kind in ("zoomin", "zoomout"):
        c.ring(10, 10, 5, 7, ink)
        c.line(15, 15, 20.5, 20.5, 3, ink)
        c.line(7, 10, 13, 10, 1.8, ink)
        if kind == "zoomin":
            c.line(10, 7, 10, 13, 1.8, ink)
    elif kind == "hand":
        for x0, top in ((8, 6), (11, 4), (14, 5), (17, 8)):
            c.line(x0, 13, x0, top, 2.6, ink)
        c.line(6.5, 16, 3.5, 12, 2.6, ink)
        c.round_rect(6, 11, 18.5, 21, 3, ink, ink)


def tool_buttons():
    """The preview's tools (select 10470, zoom in 10474, zoom out 10478, hand 10482), each in
    the four states normal, pressed, hover and disabled, 24 x 24: a 14 x 14 dialog-unit button."""
    for first, kind in ((10470, "arrow"), (10474, "zoomin"), (10478, "zoomout"), (10482, "hand")):
        for k, (face, ink) in enumerate((((238, 242, 248), BLUE), ((196, 209, 230), shade(BLUE, 0.7)),
                                         ((250, 252, 255), shade(BLUE, 1.25)), ((230, 230, 230), (165, 165, 165)))):
            c = Canvas(24, 24, (236, 241, 248))
            c.round_rect(0, 0, 24, 24, 4, face, shade(face, 0.7))
            tool_pictogram(c, kind, ink)
            c.save_bmp("%d.bmp" % (first + k))


def message_backgrounds():
    """The message dialogs' backgrounds (error 10439, warning with OK 10440, warning with OK
    and Cancel 10438), the size of their 220 x 90 dialog-unit client area at 96 dpi, the sign
    left of where the message starts; the right-to-left copies (10456, 10457, 10455) carry
    it on the right."""
    w, h = 330, 146
    for ltr, rtl, sign in ((10439, 10456, "error"), (10440, 10457, "warning"), (10438, 10455, "warning")):
        for ident, right in ((ltr, False), (rtl, True)):
            c = Canvas(w, h)
            c.vgradient((250, 251, 253), (228, 233, 241))
            cx, cy = (w - 46 if right else 46), 48
            if sign == "error":
                c.disc(cx, cy, 22, (196, 43, 43))
                c.line(cx - 9, cy - 9, cx + 9, cy + 9, 5, (255, 255, 255))
                c.line(cx + 9, cy - 9, cx - 9, cy + 9, 5, (255, 255, 255))
            else:
                c.polygon([(cx, cy - 24), (cx + 26, cy + 21), (cx - 26, cy + 21)], (232, 172, 24))
                c.line(cx, cy - 9, cx, cy + 6, 5, (64, 44, 0))
                c.disc(cx, cy + 13, 3, (64, 44, 0))
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
    tool_buttons()
    message_backgrounds()
    help_icon_bitmap()
    write_cursor("10333.cur", (11, 11), magnifier("+"))
    write_cursor("10334.cur", (11, 11), magnifier("-"))
    write_cursor("10353.cur", (11, 11), magnifier("x"))
    write_cursor("10382.cur", (14, 10), hand)
    write_icon("1012.ico")


if __name__ == "__main__":
    main()
