#!/usr/bin/python3
"""Draws Norvanex's application icon and button glyphs and writes them under resources/.

This file is the drawing source: every picture is a list of simple shapes placed on a pixel grid.
The rasteriser below is plain Python (8 x 8 samples per pixel, box filter, no library), so the
output is byte for byte the same on every machine and every run; PIL is needed only for --sheet.

    make_art.py              write resources/Norvanex.ico, resources/glyphs/*.bmp (16 and 32
                             pixels) and resources/logo.bmp
    make_art.py --check      exit 1 unless the committed files equal a fresh drawing
    make_art.py --sheet PNG  also draw every picture enlarged on light and dark backgrounds

Glyph format. Each button glyph is a pair in one 32 x 16 bitmap: the left 16 x 16 image is the
enabled glyph, the right one the disabled glyph. The bitmap is a 32-bit BI_RGB BMP whose fourth
byte is straight (not premultiplied) alpha; fully transparent pixels are 0,0,0,0. That is what a
comctl32 6 image list takes without a mask: load it with LoadImage(..., IMAGE_BITMAP, 0, 0,
LR_CREATEDIBSECTION) (a DIB section keeps the alpha byte; LoadBitmap would drop it), create the
list with ImageList_Create(16, 16, ILC_COLOR32, 2, 0) and ImageList_Add(list, bitmap, nullptr):
image 0 is enabled, image 1 disabled. A key colour would give jagged edges on the check mark and
circles, and comctl32 6 is bound by the manifest, so alpha is always honoured.

Every glyph and menu picture also comes at 32 pixels (NAME-32.bmp: a 64 x 32 pair, or one 32 x 32
picture), the same shapes drawn on a canvas twice as fine; the program takes it from 144 DPI on.

Icon format. Norvanex.ico holds 16, 20, 24, 32, 40, 48, 64 and 256 pixels: the sizes today's
Explorer asks for at 96 to 192 DPI and in its largest views. Up to 64 each is a 32-bit BGRA DIB
with its AND mask (mask set where alpha is below one half), the layout every Windows reads (Windows
95 and NT 4.0 draw the 16 and 32 of it, XP the alpha). The 256 is a PNG (Windows Vista on), as the
icon format allows there and as keeps it small; systems before Vista never choose an entry that
large. 16 is drawn pixel by pixel; 20 and 24 scale the 32's drawing, 40, 64 and 256 the 48's.
"""

import os
import struct
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SS = 8  # samples per pixel along each axis

# The palette, shared by icon and glyphs.
NAVY = (28, 52, 88)
BLUE = (44, 104, 196)
BLUE_LT = (92, 156, 232)
SKY = (206, 226, 248)
PAPER = (252, 253, 255)
PAPER_SH = (226, 233, 243)
LINE = (150, 164, 184)
RED = (218, 50, 40)
RED_DK = (150, 26, 20)
GREEN = (44, 168, 72)
GREEN_LT = (100, 206, 120)
GREEN_DK = (24, 108, 44)
GOLD = (244, 196, 72)
GOLD_LT = (252, 224, 130)
GOLD_DK = (176, 124, 24)
WHITE = (255, 255, 255)


# ---------------------------------------------------------------- shapes
# A shape is (bbox, inside) in pixel coordinates: x to the right, y down, pixel (0,0) spans
# 0..1 in both axes. inside(x, y) decides one sample point. Only + - * / and comparisons are
# used (no pow, no trigonometry), which IEEE doubles give exactly alike everywhere.

def sq(v):
    return v * v


def rect(x0, y0, x1, y1, r=0.0):
    """Axis-aligned rectangle from (x0,y0) to (x1,y1), corners rounded with radius r."""
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        if r <= 0:
            return True
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return sq(x - cx) + sq(y - cy) <= r * r
    return (x0, y0, x1, y1), inside


def circle(cx, cy, r):
    return (cx - r, cy - r, cx + r, cy + r), lambda x, y: sq(x - cx) + sq(y - cy) <= r * r


def polygon(points):
    """Filled polygon, even-odd rule."""
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    edges = list(zip(points, points[1:] + points[:1]))

    def inside(x, y):
        hit = False
        for (ax, ay), (bx, by) in edges:
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                hit = not hit
        return hit
    return (min(xs), min(ys), max(xs), max(ys)), inside


def stroke(points, w):
    """Polyline of width w with round caps and joins."""
    h = w / 2.0
    segs = list(zip(points, points[1:]))

    def near(x, y, a, b):
        (ax, ay), (bx, by) = a, b
        dx, dy = bx - ax, by - ay
        t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)
        t = min(max(t, 0.0), 1.0)
        return sq(x - ax - t * dx) + sq(y - ay - t * dy) <= h * h

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return (min(xs) - h, min(ys) - h, max(xs) + h, max(ys) + h), \
        lambda x, y: any(near(x, y, a, b) for a, b in segs)


def union(*shapes):
    box = (min(s[0][0] for s in shapes), min(s[0][1] for s in shapes),
           max(s[0][2] for s in shapes), max(s[0][3] for s in shapes))
    return box, lambda x, y: any(s[1](x, y) for s in shapes)


# ---------------------------------------------------------------- paint
def vgrad(top, bottom, y0, y1):
    """A fill that runs from colour top at y0 to colour bottom at y1."""
    def fill(_x, y):
        t = min(max((y - y0) / (y1 - y0), 0.0), 1.0)
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return fill


class Canvas:
    """A picture (square unless a height is given), kept as SS x SS opaque-or-empty samples per
    pixel. Shapes are given on a grid `scale` times coarser than the picture's pixels: a drawing
    made for 16 pixels fills a 32-pixel canvas of scale 2 alike, only finer."""

    def __init__(self, size, height=None, scale=1):
        self.size = size
        self.height = size if height is None else height
        self.scale = scale
        self.n = size * SS
        self.samples = [None] * (self.n * self.height * SS)

    def fill(self, shape, colour):
        (x0, y0, x1, y1), inside = shape
        k = self.scale
        x0, y0, x1, y1 = x0 * k, y0 * k, x1 * k, y1 * k
        n = self.n
        i0 = max(int(x0 * SS) - 1, 0)
        i1 = min(int(x1 * SS) + 2, n)
        j0 = max(int(y0 * SS) - 1, 0)
        j1 = min(int(y1 * SS) + 2, self.height * SS)
        flat = not callable(colour)
        for j in range(j0, j1):
            y = (j + 0.5) / SS / k  # exact: SS and k are powers of two
            row = j * n
            for i in range(i0, i1):
                x = (i + 0.5) / SS / k
                if inside(x, y):
                    self.samples[row + i] = colour if flat else colour(x, y)

    def pixels(self):
        """Box-filters the samples into rows of straight-alpha (r, g, b, a) bytes."""
        out = []
        n, full = self.n, SS * SS
        for py in range(self.height):
            row = []
            for px in range(self.size):
                cover, r, g, b = 0, 0.0, 0.0, 0.0
                for j in range(py * SS, py * SS + SS):
                    base = j * n
                    for i in range(px * SS, px * SS + SS):
                        c = self.samples[base + i]
                        if c is not None:
                            cover += 1
                            r += c[0]
                            g += c[1]
                            b += c[2]
                if cover == 0:
                    row.append((0, 0, 0, 0))
                else:
                    row.append((int(r / cover + 0.5), int(g / cover + 0.5),
                                int(b / cover + 0.5), (cover * 255 + full // 2) // full))
            out.append(row)
        return out


# ---------------------------------------------------------------- the icon
def play_badge(c, cx, cy, r, ring):
    """Green disc with a white ring and a white play arrow: "and start one"."""
    c.fill(circle(cx, cy, r), WHITE)
    inner = r - ring
    c.fill(circle(cx, cy, inner), vgrad(GREEN_LT, GREEN_DK, cy - inner, cy + inner))
    t = inner * 0.52
    c.fill(polygon([(cx - t * 0.62, cy - t), (cx - t * 0.62, cy + t), (cx + t * 1.02, cy)]), WHITE)


def pixel_cross(c, x, y, colour):
    """A 6 x 6 cross of two-pixel-wide steps at (x, y): crisp where a smooth one would blur."""
    steps = [(0, 4), (1, 3), (2, 2), (2, 2), (1, 3), (0, 4)]
    c.fill(union(*[rect(x + a, y + k, x + a + 2, y + k + 1) for k, (a, _) in enumerate(steps)] +
                 [rect(x + b, y + k, x + b + 2, y + k + 1) for k, (_, b) in enumerate(steps)]),
           colour)


def small_play_badge(c, x, y):
    """The play badge for 16 pixels at pixel (x, y): 9 across, its arrow on whole pixels
    (5, 3 and 1 high) so that it stays an arrow."""
    cx, cy = x + 4.5, y + 4.5
    c.fill(circle(cx, cy, 4.6), WHITE)
    c.fill(circle(cx, cy, 3.6), vgrad(GREEN_LT, GREEN_DK, cy - 3, cy + 3))
    c.fill(union(rect(x + 3, y + 2, x + 4, y + 7), rect(x + 4, y + 3, x + 5, y + 6),
                 rect(x + 5, y + 4, x + 6, y + 5)), WHITE)


# The drawings at 32 and 48 pixels: frame, outline width, title bar height, corner radius, the
# cross's two corners and stroke width, the badge's centre, radius and ring.
ICON_GEOMETRY = {
    32: ((1, 2, 28, 26), 1, 5, 2, ((6.5, 12.5), (13.5, 19.5)), 2.8, (23.5, 23.5, 8.5, 1.5)),
    48: ((1, 3, 42, 39), 2, 8, 3, ((8.5, 19.0), (20.5, 31.0)), 4.4, (35.0, 35.0, 13.0, 2.0)),
}


def icon_geometry(size):
    """The 32's drawing for sizes below 40, the 48's from 40 on, scaled to `size`; the frame,
    outline and title bar on whole pixels, so their edges stay sharp."""
    base = 32 if size < 40 else 48
    frame, ow, title, rad, cross, cw, badge = ICON_GEOMETRY[base]
    if size == base:
        return frame, ow, title, rad, cross, cw, badge
    k = size / base
    return (tuple(round(v * k) for v in frame), max(1, round(ow * k)), round(title * k),
            round(rad * k), tuple((x * k, y * k) for x, y in cross), cw * k,
            tuple(v * k for v in badge))


def draw_icon(size):
    """A window with a red cross in it (programs closed) and a green play badge (one started)."""
    c = Canvas(size)
    if size == 16:
        # drawn pixel by pixel: window 13 x 12, title bar 2 rows, cross 6 x 6, badge 8 x 8
        c.fill(rect(0, 1, 13, 13), NAVY)
        c.fill(rect(1, 2, 12, 4), vgrad(BLUE_LT, BLUE, 2, 4))
        c.fill(rect(1, 4, 12, 12), vgrad(PAPER, PAPER_SH, 4, 12))
        pixel_cross(c, 2, 5, RED)
        small_play_badge(c, 7, 7)
        return c.pixels()
    frame, ow, title, rad, cross, cw, badge = icon_geometry(size)
    x0, y0, x1, y1 = frame
    c.fill(rect(x0, y0, x1, y1, rad), NAVY)
    c.fill(rect(x0 + ow, y0 + ow, x1 - ow, y0 + ow + title, max(rad - ow, 0)),
           vgrad(BLUE_LT, BLUE, y0 + ow, y0 + ow + title))
    c.fill(rect(x0 + ow, y0 + ow + title, x1 - ow, y1 - ow), vgrad(PAPER, PAPER_SH, y0, y1))
    (ax, ay), (bx, by) = cross
    outline = cw + ow * 1.2
    c.fill(union(stroke([(ax, ay), (bx, by)], outline), stroke([(ax, by), (bx, ay)], outline)),
           RED_DK)
    c.fill(union(stroke([(ax, ay), (bx, by)], cw), stroke([(ax, by), (bx, ay)], cw)), RED)
    play_badge(c, *badge)
    return c.pixels()


# ---------------------------------------------------------------- the glyphs, 16 x 16
def outlined_stroke(c, points, w, edge, inner, fill):
    c.fill(stroke(points, w + 2 * edge), inner)
    c.fill(stroke(points, w), fill)


def glyph_ok(c):
    """BitBtn1 in a kill run and the about box: a check mark."""
    pts = [(2.8, 8.6), (6.3, 12.0), (13.2, 4.0)]
    outlined_stroke(c, pts, 2.6, 0.9, GREEN_DK, GREEN)


def page(c, x0, y0, x1, y1, fold):
    """A sheet of paper with its top right corner folded."""
    c.fill(polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]), NAVY)
    c.fill(polygon([(x0 + 1, y0 + 1), (x1 - fold - 0.4, y0 + 1), (x1 - 1, y0 + fold + 0.4),
                    (x1 - 1, y1 - 1), (x0 + 1, y1 - 1)]), vgrad(PAPER, PAPER_SH, y0, y1))
    c.fill(polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)]), NAVY)
    c.fill(polygon([(x1 - fold + 1, y0 + 2.4), (x1 - fold + 1, y0 + fold - 1),
                    (x1 - 2.4, y0 + fold - 1)]), SKY)


def glyph_shortcut(c):
    """BitBtn1 in the editor (Image4): a link arrow over a document."""
    page(c, 4, 0, 15, 16, 4)
    for y in (6, 8, 10):
        c.fill(rect(7, y, 13, y + 1), LINE)
    c.fill(rect(0, 7, 9, 16), NAVY)
    c.fill(rect(1, 8, 8, 15), WHITE)
    c.fill(stroke([(2.6, 13.2), (5.6, 10.2)], 1.5), BLUE)
    c.fill(polygon([(3.4, 9.0), (7.0, 9.0), (7.0, 12.6)]), BLUE)


def glyph_insert(c):
    """BitBtn2: a plus."""
    c.fill(union(rect(5, 1, 11, 15, 1), rect(1, 5, 15, 11, 1)), GREEN_DK)
    c.fill(union(rect(6.5, 2, 9.5, 14), rect(2, 6.5, 14, 9.5)), vgrad(GREEN_LT, GREEN, 2, 14))


def list_sheet(c):
    """A small list of programs: three rows, each an icon and a name."""
    c.fill(rect(0, 1, 13, 14), NAVY)
    c.fill(rect(1, 2, 12, 13), PAPER)
    for y in (3, 6, 9):
        c.fill(rect(2, y, 4, y + 2), BLUE)
        c.fill(rect(5, y + 0.5, 11, y + 1.5), LINE)


def glyph_delete(c):
    """BitBtn3: a red cross over the list."""
    list_sheet(c)
    a, b = (8.2, 8.2), (14.0, 14.0)
    c.fill(union(stroke([a, b], 4.2), stroke([(a[0], b[1]), (b[0], a[1])], 4.2)), WHITE)
    c.fill(union(stroke([a, b], 2.8), stroke([(a[0], b[1]), (b[0], a[1])], 2.8)), RED_DK)
    c.fill(union(stroke([a, b], 1.6), stroke([(a[0], b[1]), (b[0], a[1])], 1.6)), RED)


def glyph_exit(c):
    """BitBtn4: a door standing open and an arrow going out through it."""
    c.fill(rect(1, 1, 10, 15), NAVY)
    c.fill(rect(2, 2, 9, 15), (20, 30, 52))
    c.fill(polygon([(2, 2), (6.5, 3.5), (6.5, 16), (2, 15)]), vgrad(BLUE_LT, BLUE, 2, 16))
    c.fill(rect(5, 8.5, 6, 10), GOLD_LT)
    c.fill(polygon([(7, 6.5), (11, 6.5), (11, 4), (15.6, 8.5), (11, 13), (11, 10.5), (7, 10.5)]),
           GREEN_DK)
    c.fill(polygon([(8, 7.5), (12, 7.5), (12, 6.4), (14.2, 8.5), (12, 10.6), (12, 9.5), (8, 9.5)]),
           GREEN_LT)


def glyph_choose(c):
    """BitBtn5: a folder to pick the program to start from, with the icon's play badge."""
    c.fill(union(rect(0, 3, 6, 6, 1), rect(0, 4, 14, 14, 1)), GOLD_DK)
    c.fill(rect(1, 5, 13, 13), vgrad(GOLD_LT, GOLD, 5, 13))
    c.fill(rect(1, 4, 5, 5), GOLD_LT)
    small_play_badge(c, 7, 7)


def glyph_remove(c):
    """BitBtn6: the program to start taken away, a red minus on a disc."""
    c.fill(circle(8, 8, 7.2), RED_DK)
    c.fill(circle(8, 8, 6.2), vgrad((236, 96, 84), RED, 2, 14))
    c.fill(rect(4, 7, 12, 9), WHITE)


def glyph_info(c):
    """BitBtn9: the letter i on a blue disc."""
    c.fill(circle(8, 8, 7.2), NAVY)
    c.fill(circle(8, 8, 6.2), vgrad(BLUE_LT, BLUE, 2, 14))
    c.fill(rect(7, 3, 9, 5), WHITE)
    c.fill(union(rect(7, 6, 9, 12), rect(6, 6, 9, 7), rect(6, 11, 10, 12)), WHITE)


def small_window(c, x, y, w, h, title):
    """A program window seen from afar: frame, title bar, white client."""
    c.fill(rect(x, y, x + w, y + h), NAVY)
    c.fill(rect(x + 1, y + 1, x + w - 1, y + 1 + title), vgrad(BLUE_LT, BLUE, y + 1, y + 1 + title))
    c.fill(rect(x + 1, y + 1 + title, x + w - 1, y + h - 1), vgrad(PAPER, PAPER_SH, y, y + h))


def menu_task(c):
    """SelectTask: two running programs' windows, one behind the other."""
    small_window(c, 0, 1, 11, 9, 2)
    small_window(c, 4, 6, 12, 9, 2)
    for y in (11, 13):
        c.fill(rect(6, y, 14, y + 1), LINE)


def menu_file(c):
    """SelectFile: a program file with a plus, to be added."""
    page(c, 1, 0, 12, 15, 4)
    for y in (6, 8, 10):
        c.fill(rect(4, y, 9, y + 1), LINE)
    c.fill(union(rect(10, 7, 14, 16, 0.5), rect(7.5, 9.5, 16, 13.5, 0.5)), GREEN_DK)
    c.fill(union(rect(11, 8, 13, 15), rect(8.5, 10.5, 15, 12.5)), GREEN_LT)


# The insert menu's images: single pictures, no disabled twin (the menu items are always enabled).
MENU_IMAGES = [
    ("menu_task.bmp", menu_task),  # SelectTask
    ("menu_file.bmp", menu_file),  # SelectFile
]


# File names under resources/glyphs/; resources/Norvanex.rc gives each its IDB_ number.
GLYPHS = [
    ("ok.bmp", glyph_ok),              # BitBtn1, kill run
    ("shortcut.bmp", glyph_shortcut),  # Image4: BitBtn1 in the editor
    ("insert.bmp", glyph_insert),      # BitBtn2
    ("delete.bmp", glyph_delete),      # BitBtn3
    ("exit.bmp", glyph_exit),          # BitBtn4
    ("choose.bmp", glyph_choose),      # BitBtn5
    ("remove.bmp", glyph_remove),      # BitBtn6
    ("info.bmp", glyph_info),          # BitBtn9
]


def disabled(rows):
    """The greyed twin of a glyph: flat grey tones, lighter and a little see-through, so it reads
    as unavailable on any button face while keeping its outline."""
    out = []
    for row in rows:
        new = []
        for r, g, b, a in row:
            if a == 0:
                new.append((0, 0, 0, 0))
                continue
            lum = (299 * r + 587 * g + 114 * b) // 1000
            grey = 96 + lum * 120 // 255
            new.append((grey, grey, grey, a * 7 // 8))
        out.append(new)
    return out


def glyph_pair(draw, scale=1):
    c = Canvas(16 * scale, scale=scale)
    draw(c)
    on = c.pixels()
    off = disabled(on)
    return [a + b for a, b in zip(on, off)]


# ---------------------------------------------------------------- the maker's logo, 88 x 42
def draw_logo():
    """The about box's maker logo: a navy badge with a white N whose last stroke runs on into
    three blue speed lines, on a transparent ground."""
    c = Canvas(88, 42)
    c.fill(rect(1, 1, 41, 41, 7), NAVY)
    c.fill(rect(3, 3, 39, 39, 5), vgrad(BLUE_LT, BLUE, 3, 39))
    c.fill(stroke([(12, 31), (12, 11), (30, 31), (30, 11)], 5.2), WHITE)
    c.fill(circle(30, 11, 3.4), GOLD)
    for k, (length, colour) in enumerate(((40, NAVY), (32, BLUE), (24, BLUE_LT))):
        y = 12 + 9 * k
        c.fill(rect(46, y, 46 + length, y + 5, 2.5), colour)
    return c.pixels()


# ---------------------------------------------------------------- file formats
def dib_bits(rows):
    """Bottom-up BGRA rows, as a DIB stores them."""
    return b"".join(bytes(v for r, g, b, a in row for v in (b, g, r, a)) for row in reversed(rows))


def and_mask(rows):
    stride = ((len(rows[0]) + 31) // 32) * 4
    out = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (_r, _g, _b, a) in enumerate(row):
            if a < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def info_header(w, h, image_size):
    return struct.pack("<IiiHHIIiiII", 40, w, h, 1, 32, 0, image_size, 2835, 2835, 0, 0)


def bmp32(rows):
    bits = dib_bits(rows)
    head = info_header(len(rows[0]), len(rows), len(bits))
    return struct.pack("<2sIHHI", b"BM", 14 + len(head) + len(bits), 0, 0, 14 + len(head)) \
        + head + bits


def png(rows):
    """A PNG of straight-alpha RGBA rows: no filter, zlib level 9 (the same bytes on every run)."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rows)
    header = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def ico(images):
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for rows in images:
        size = len(rows)
        if size >= 256:
            blob = png(rows)
        else:
            bits, mask = dib_bits(rows), and_mask(rows)
            blob = info_header(size, size * 2, len(bits) + len(mask)) + bits + mask
        entries.append(struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32,
                                   len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def ico_sizes(data):
    """The pixel widths of an icon file's entries, in file order."""
    if len(data) < 6 or struct.unpack_from("<HH", data, 0) != (0, 1):
        return []
    count = struct.unpack_from("<H", data, 4)[0]
    return [data[6 + 16 * i] or 256 for i in range(count) if 6 + 16 * i < len(data)]


# ---------------------------------------------------------------- main
ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)


def generate():
    """Every output file, by path relative to the repository root, with its pictures."""
    icons = [draw_icon(s) for s in ICON_SIZES]
    files = {"resources/Norvanex.ico": (ico(icons), icons)}
    for name, draw in GLYPHS:
        for scale in (1, 2):
            rows = glyph_pair(draw, scale)
            files["resources/glyphs/" + art_name(name, scale)] = (bmp32(rows), [rows])
    logo = draw_logo()
    files["resources/logo.bmp"] = (bmp32(logo), [logo])
    for name, draw in MENU_IMAGES:
        for scale in (1, 2):
            c = Canvas(16 * scale, scale=scale)
            draw(c)
            rows = c.pixels()
            files["resources/glyphs/" + art_name(name, scale)] = (bmp32(rows), [rows])
    return files


def art_name(name, scale):
    """ok.bmp for the 16-pixel drawing, ok-32.bmp for the same drawing at 32 pixels."""
    return name if scale == 1 else name.replace(".bmp", "-%d.bmp" % (16 * scale))


def check(files):
    """The committed files equal a fresh drawing, and the committed icon holds every size."""
    ok = True
    kept = {}
    for path, (data, _) in files.items():
        try:
            with open(os.path.join(ROOT, path), "rb") as f:
                kept[path] = f.read()
        except OSError:
            kept[path] = b""
        if kept[path] != data:
            print("out of date: %s (run tools/make_art.py)" % path)
            ok = False
    sizes = ico_sizes(kept["resources/Norvanex.ico"])
    if sizes != list(ICON_SIZES):
        print("resources/Norvanex.ico holds sizes %s, not %s" % (sizes, list(ICON_SIZES)))
        ok = False
    return ok


def sheet(files, path, zoom=8):
    """Every picture at zoom, over a light button face, a mid grey and a dark ground."""
    from PIL import Image
    pictures = [rows for _, (_, pics) in sorted(files.items()) for rows in pics]
    grounds = [(240, 240, 240), (192, 192, 192), (40, 44, 52)]
    widest = max(len(p[0]) for p in pictures)
    width = widest * (zoom + 1) + 30
    height = sum(len(p) * zoom + 10 for p in pictures) + 10
    out = Image.new("RGB", (width * len(grounds), height), (255, 255, 255))
    for k, ground in enumerate(grounds):
        y = 10
        for rows in pictures:
            pic = Image.new("RGBA", (len(rows[0]), len(rows)))
            pic.putdata([p for row in rows for p in row])
            base = Image.new("RGBA", pic.size, ground + (255,))
            shown = Image.alpha_composite(base, pic).convert("RGB")
            box = Image.new("RGB", (width - 10, len(rows) * zoom + 4), ground)
            box.paste(shown.resize((len(rows[0]) * zoom, len(rows) * zoom), Image.NEAREST), (2, 2))
            box.paste(shown, (widest * zoom + 12, 2))  # actual size, at the right
            out.paste(box, (k * width + 5, y))
            y += len(rows) * zoom + 10
    out.save(path)


def main(argv):
    files = generate()
    if "--check" in argv:
        return 0 if check(files) else 1
    for path, (data, _) in files.items():
        full = os.path.join(ROOT, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data)
    if "--sheet" in argv:
        sheet(files, argv[argv.index("--sheet") + 1])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
