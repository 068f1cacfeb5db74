#!/usr/bin/env python3
"""Draws Kavimo's pictures and icons.

    python3 assets/make_pictures.py           rewrite every file, then check them
    python3 assets/make_pictures.py --check   only check the files on disk

Files written next to this script:

    pPicture0.bmp .. pPicture11.bmp   one picture per region template
    Form1.bmp                         the icon window's 32 x 32 picture
    Form1_icon.png                    the icon window's window icon
    frm_Version_icon.png              the version window's icon, also the
                                      program's icon on the desktop
    frm_Version_icon_64.png, _128.png the same icon for the desktop's larger
                                      sizes, each pixel a 2 x 2 or 4 x 4 square
    pictures.qrc, program.qrc         Qt resource lists

Every template picture is drawn from the same rectangle lists that the
toolkit's region table holds, so that picture n shows non-magenta pixels
exactly where template n's region lies (picture 9's magenta centre is the
one deliberate exception).  The check re-reads the bitmaps and compares
them with the rectangles pixel by pixel.

Only the Python standard library is used; output is byte-for-byte
deterministic.
"""

import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# ---------------------------------------------------------------------------
# Colours
# ---------------------------------------------------------------------------

# The standard 16-colour palette, in its usual index order.
PALETTE16 = [
    (0, 0, 0),        # 0  black
    (128, 0, 0),      # 1  maroon
    (0, 128, 0),      # 2  green
    (128, 128, 0),    # 3  olive
    (0, 0, 128),      # 4  navy
    (128, 0, 128),    # 5  purple
    (0, 128, 128),    # 6  teal
    (192, 192, 192),  # 7  silver
    (128, 128, 128),  # 8  grey
    (255, 0, 0),      # 9  red
    (0, 255, 0),      # 10 lime
    (255, 255, 0),    # 11 yellow
    (0, 0, 255),      # 12 blue
    (255, 0, 255),    # 13 fuchsia (magenta: "outside the region")
    (0, 255, 255),    # 14 aqua
    (255, 255, 255),  # 15 white
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)

MAGENTA = (255, 0, 255)

# Bevelled block styles: (light edge, face, dark edge).
# 16-colour blocks use palette indices, 24-bit blocks RGB triples.
BLOCK_GREY = (WHITE, SILVER, GREY)
BLOCK_RED = (WHITE, RED, MAROON)
BLOCK_GREEN = (WHITE, LIME, GREEN)
BLOCK_YELLOW = (WHITE, YELLOW, OLIVE)

BLOCK_LIGHT_BLUE = ((225, 242, 255), (140, 200, 255), (60, 120, 200))
BLOCK_LAVENDER = ((235, 228, 255), (180, 165, 240), (45, 40, 140))   # lavender face, dark blue shade
BLOCK_ORANGE = ((255, 200, 120), (240, 130, 30), (120, 60, 20))      # orange face, brown shade
BLOCK_BLUE = ((90, 130, 255), (20, 50, 215), (0, 0, 100))            # blue face, navy shade
RING_COLOURS = ((150, 235, 215), (0, 150, 130))                      # light and dark rim

# ---------------------------------------------------------------------------
# Region templates (left, top, right, bottom; right and bottom exclusive)
# ---------------------------------------------------------------------------

# Template 0: the Clear banner.  Each band is (top, bottom, spans), each span
# (left, right) being one rectangle, in the order the region table stores them.
CLEAR_BANDS = [
    (8, 11, [(0, 34)]),
    (11, 12, [(0, 5), (9, 11), (13, 34)]),
    (12, 13, [(0, 4), (6, 8), (10, 11), (13, 34)]),
    (13, 14, [(0, 3), (5, 11), (13, 15), (19, 22), (25, 27), (31, 34)]),
    (14, 15, [(0, 3), (5, 11), (13, 14), (16, 18), (20, 21), (22, 24), (26, 27), (29, 34)]),
    (15, 16, [(0, 3), (5, 11), (13, 14), (20, 22), (26, 27), (29, 34)]),
    (16, 17, [(0, 3), (5, 11), (13, 14), (16, 21), (23, 24), (26, 27), (29, 34)]),
    (17, 18, [(0, 4), (6, 8), (10, 11), (13, 14), (16, 18), (20, 21), (23, 24), (26, 27), (29, 34)]),
    (18, 19, [(0, 5), (9, 11), (13, 15), (19, 22), (26, 27), (29, 34)]),
    (19, 21, [(0, 34)]),
]

CELL_SQUARE = [(1, 1, 9, 9)]
DOTS = [(4, 1, 6, 3), (1, 4, 3, 6), (7, 4, 9, 6), (4, 7, 6, 9)]
NOTCHED = [(1, 1, 4, 3), (6, 1, 9, 3), (1, 3, 9, 4), (3, 4, 7, 6),
           (1, 6, 9, 7), (1, 7, 4, 9), (6, 7, 9, 9)]


def clear_rects():
    return [(l, t, r, b) for t, b, spans in CLEAR_BANDS for l, r in spans]


TEMPLATES = [clear_rects()] + [CELL_SQUARE] * 9 + [DOTS, NOTCHED]
assert [len(t) for t in TEMPLATES] == [51] + [1] * 9 + [4, 7]


def region_pixels(rects):
    """Set of (x, y) covered by a rectangle list; the rectangles must not overlap."""
    pixels = set()
    for l, t, r, b in rects:
        for y in range(t, b):
            for x in range(l, r):
                assert (x, y) not in pixels, "overlapping rectangles"
                pixels.add((x, y))
    return pixels


# ---------------------------------------------------------------------------
# Drawing on a canvas: a list of rows, each a list of pixel values
# ---------------------------------------------------------------------------

def canvas(w, h, fill):
    return [[fill] * w for _ in range(h)]


def put(img, x, y, c):
    if 0 <= y < len(img) and 0 <= x < len(img[0]):
        img[y][x] = c


def fill_rect(img, l, t, r, b, c):
    for y in range(t, b):
        for x in range(l, r):
            put(img, x, y, c)


def bevel_block(img, x0, y0, style, size=8):
    """A bevelled square: light top row and left column, dark bottom row and
    right column, flat face.  The two corners where light meets dark take the
    face colour, which keeps the bevel's diagonal soft."""
    light, face, dark = style
    last = size - 1
    for dy in range(size):
        for dx in range(size):
            lit = dx == 0 or dy == 0
            shaded = dx == last or dy == last
            if lit and shaded:
                c = face
            elif lit:
                c = light
            elif shaded:
                c = dark
            else:
                c = face
            put(img, x0 + dx, y0 + dy, c)


def emboss(img, pixels, style, shadow=None):
    """Fills a pixel set as a raised shape: pixels with open space to their
    right or below are dark, those with open space to their left or above
    light, the rest face.  An optional shadow falls one pixel down-right."""
    light, face, dark = style
    if shadow is not None:
        for (x, y) in pixels:
            if (x + 1, y + 1) not in pixels:
                put(img, x + 1, y + 1, shadow)
    for (x, y) in pixels:
        if (x + 1, y) not in pixels or (x, y + 1) not in pixels:
            c = dark
        elif (x - 1, y) not in pixels or (x, y - 1) not in pixels:
            c = light
        else:
            c = face
        put(img, x, y, c)


def blit_text(img, x0, y0, text, font, colour, spacing=1):
    x = x0
    for ch in text:
        glyph = font[ch]
        for dy, row in enumerate(glyph):
            for dx, bit in enumerate(row):
                if bit == "#":
                    put(img, x + dx, y0 + dy, colour)
        x += len(glyph[0]) + spacing


def text_width(text, font, spacing=1):
    return sum(len(font[ch][0]) for ch in text) + spacing * (len(text) - 1)


# 5 x 7 capitals for the icon window's band.
FONT = {
    "P": ["####.",
          "#...#",
          "#...#",
          "####.",
          "#....",
          "#....",
          "#...."],
    "L": ["#....",
          "#....",
          "#....",
          "#....",
          "#....",
          "#....",
          "#####"],
    "A": [".###.",
          "#...#",
          "#...#",
          "#####",
          "#...#",
          "#...#",
          "#...#"],
    "Y": ["#...#",
          "#...#",
          ".#.#.",
          "..#..",
          "..#..",
          "..#..",
          "..#.."],
}
BAND_WORD = "PLAY"
BAND_SPACING = 2  # 4 x 5 + 3 x 2 = 26 pixels: two black pixels either side

# ---------------------------------------------------------------------------
# The pictures
# ---------------------------------------------------------------------------

def picture_clear():
    """Picture 0: a grey-framed black plate on rows 8..20; every pixel of the
    plate that no rectangle of template 0 covers is a magenta letter pixel."""
    img = canvas(34, 34, FUCHSIA)
    inside = region_pixels(TEMPLATES[0])
    for (x, y) in inside:
        frame = y in (8, 20) or x in (0, 33)
        img[y][x] = GREY if frame else BLACK
    return img


def picture_block(style, fill):
    img = canvas(10, 10, fill)
    bevel_block(img, 1, 1, style)
    return img


def picture_ring():
    """Picture 9: a one-pixel bevelled rim round a 6 x 6 magenta centre."""
    light, dark = RING_COLOURS
    img = canvas(10, 10, MAGENTA)
    for y in range(1, 9):
        for x in range(1, 9):
            if 2 <= x < 8 and 2 <= y < 8:
                continue
            lit = (x == 1 or y == 1) and not (x == 8 or y == 8)
            if (x, y) in ((8, 1), (1, 8)):
                lit = x == 1  # bottom-left corner light, top-right corner dark
            img[y][x] = light if lit else dark
    return img


def picture_dots():
    img = canvas(10, 10, FUCHSIA)
    for l, t, r, b in DOTS:
        fill_rect(img, l, t, r, b, BLACK)
    return img


def picture_notched():
    img = picture_block(BLOCK_GREY, FUCHSIA)
    for l, t, r, b in DOTS:
        fill_rect(img, l, t, r, b, FUCHSIA)
    return img


# (builder, bits per pixel)
PICTURES = [
    (picture_clear, 4),
    (lambda: picture_block(BLOCK_GREY, FUCHSIA), 4),
    (lambda: picture_block(BLOCK_RED, FUCHSIA), 4),
    (lambda: picture_block(BLOCK_GREEN, FUCHSIA), 4),
    (lambda: picture_block(BLOCK_YELLOW, FUCHSIA), 4),
    (lambda: picture_block(BLOCK_LIGHT_BLUE, MAGENTA), 24),
    (lambda: picture_block(BLOCK_LAVENDER, MAGENTA), 24),
    (lambda: picture_block(BLOCK_ORANGE, MAGENTA), 24),
    (lambda: picture_block(BLOCK_BLUE, MAGENTA), 24),
    (picture_ring, 24),
    (picture_dots, 4),
    (picture_notched, 4),
]
PICTURE_SIZES = [34] + [10] * 11


def form1_picture():
    """The icon window: rows of blocks above and below a black band that
    carries the word, as if the band lay over a wall of blocks."""
    img = canvas(32, 32, BLACK)
    colours = [
        (0, [BLOCK_GREEN, BLOCK_RED, BLOCK_YELLOW, BLOCK_GREY]),
        (16, [BLOCK_YELLOW, BLOCK_GREY, BLOCK_GREEN, BLOCK_RED]),   # mostly behind the band
        (24, [BLOCK_RED, BLOCK_YELLOW, BLOCK_GREY, BLOCK_GREEN]),
    ]
    for y, row in colours:
        for i, style in enumerate(row):
            bevel_block(img, 8 * i, y, style)
    # the band, rows 8..20
    fill_rect(img, 0, 8, 32, 21, GREY)
    fill_rect(img, 1, 9, 31, 20, BLACK)
    w = text_width(BAND_WORD, FONT, BAND_SPACING)
    blit_text(img, (32 - w) // 2, 11, BAND_WORD, FONT, RED, BAND_SPACING)
    return img


def form1_icon():
    """The icon window's own icon: a dealt 4 x 4 puzzle, four pieces of four
    cells each, with one cell of the grey piece lifted out (transparent)."""
    img = canvas(32, 32, FUCHSIA)  # fuchsia is the transparent colour
    layout = [
        "GRRY",
        "GSRY",
        "SGYR",
        "SG.Y",
    ]
    styles = {"G": BLOCK_GREEN, "R": BLOCK_RED, "Y": BLOCK_YELLOW, "S": BLOCK_GREY}
    for cy, row in enumerate(layout):
        for cx, ch in enumerate(row):
            if ch in styles:
                bevel_block(img, 8 * cx, 8 * cy, styles[ch])
    return img


def letter_k():
    """A bold K: a 6-pixel stem on rows 5..26 and two 6-pixel arms at 45
    degrees meeting it in the middle."""
    x0, top, bottom, width = 7, 5, 27, 6
    mid = (top + bottom) // 2
    pixels = set()
    for y in range(top, bottom):
        pixels.update((x, y) for x in range(x0, x0 + width))
        if y <= mid:
            a = x0 + width - 1 + (mid - y)
            pixels.update((x, y) for x in range(a, a + width))
        if y >= mid - 1:
            b = x0 + width - 1 + (y - mid)
            pixels.update((x, y) for x in range(b, b + width))
    return pixels


def version_icon():
    """The version window's icon: a raised blue K on a grey bevelled tile."""
    img = canvas(32, 32, SILVER)
    for y in range(32):
        for x in range(32):
            if x == 31 or y == 31:
                img[y][x] = BLACK
            elif x == 0 or y == 0:
                img[y][x] = WHITE
            elif x == 30 or y == 30:
                img[y][x] = GREY
            elif x == 1 or y == 1:
                img[y][x] = WHITE
    emboss(img, letter_k(), (AQUA, BLUE, NAVY), shadow=GREY)
    return img


# ---------------------------------------------------------------------------
# File formats
# ---------------------------------------------------------------------------

def bmp_bytes(img, bpp):
    """A Windows BMP with a BITMAPINFOHEADER, rows stored bottom-up."""
    h, w = len(img), len(img[0])
    rows = []
    for row in reversed(img):
        if bpp == 4:
            nibbles = list(row) + ([0] if w % 2 else [])
            data = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, len(nibbles), 2))
        else:
            data = b"".join(struct.pack("<BBB", b, g, r) for (r, g, b) in row)
        rows.append(data + b"\0" * (-len(data) % 4))
    pixels = b"".join(rows)
    if bpp == 4:
        palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE16)
        colours_used = 16
    else:
        palette = b""
        colours_used = 0
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, bpp, 0, len(pixels),
                       3780, 3780, colours_used, 0)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return head + info + palette + pixels


def read_bmp(path):
    """Returns (width, height, bits per pixel, palette or None, rows of RGB)."""
    with open(path, "rb") as f:
        data = f.read()
    magic, size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    if magic != b"BM" or size != len(data):
        raise ValueError("bad file header")
    (hsize, w, h, planes, bpp, compression, _, _, _, used, _) = struct.unpack_from("<IiiHHIIiiII", data, 14)
    if hsize != 40 or planes != 1 or compression != 0 or h <= 0:
        raise ValueError("unexpected info header")
    palette = None
    if bpp == 4:
        count = used or 16
        palette = [struct.unpack_from("<BBB", data, 54 + 4 * i)[::-1] for i in range(count)]
    stride = (w * bpp + 31) // 32 * 4
    rows = []
    for y in range(h):
        start = offset + (h - 1 - y) * stride
        raw = data[start:start + stride]
        if bpp == 4:
            row = [palette[(raw[x // 2] >> (4 if x % 2 == 0 else 0)) & 15] for x in range(w)]
        elif bpp == 24:
            row = [tuple(raw[3 * x:3 * x + 3][::-1]) for x in range(w)]
        else:
            raise ValueError("unexpected bit depth %d" % bpp)
        rows.append(row)
    return w, h, bpp, palette, rows


def png_bytes(img):
    """A 4-bit palette PNG with the standard 16 colours; fuchsia is transparent."""
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    h, w = len(img), len(img[0])
    raw = b""
    for row in img:
        nibbles = list(row) + ([0] if w % 2 else [])
        raw += b"\0" + bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, len(nibbles), 2))
    ihdr = struct.pack(">IIBBBBB", w, h, 4, 3, 0, 0, 0)
    plte = b"".join(bytes(c) for c in PALETTE16)
    trns = bytes(0 if i == FUCHSIA else 255 for i in range(FUCHSIA + 1))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"PLTE", plte) +
            chunk(b"tRNS", trns) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def read_png(path):
    """Returns (width, height, bit depth, colour type, palette, trns, index rows)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, chunks = 8, {}
    idat = b""
    while pos < len(data):
        (length,) = struct.unpack_from(">I", data, pos)
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        (crc,) = struct.unpack_from(">I", data, pos + 8 + length)
        if zlib.crc32(kind + body) & 0xFFFFFFFF != crc:
            raise ValueError("bad CRC in %r" % kind)
        if kind == b"IDAT":
            idat += body
        else:
            chunks[kind] = body
        pos += 12 + length
    w, h, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", chunks[b"IHDR"])
    if depth != 4 or ctype != 3 or interlace != 0:
        raise ValueError("expected a non-interlaced 4-bit palette PNG")
    raw = zlib.decompress(idat)
    stride = (w + 1) // 2
    rows = []
    for y in range(h):
        line = raw[y * (stride + 1):(y + 1) * (stride + 1)]
        if line[0] != 0:
            raise ValueError("unexpected filter")
        rows.append([(line[1 + x // 2] >> (4 if x % 2 == 0 else 0)) & 15 for x in range(w)])
    plte = chunks[b"PLTE"]
    palette = [tuple(plte[3 * i:3 * i + 3]) for i in range(len(plte) // 3)]
    return w, h, depth, ctype, palette, chunks.get(b"tRNS", b""), rows


def qrc_text(names):
    lines = ["<!DOCTYPE RCC>", '<RCC version="1.0">', '<qresource prefix="/">']
    lines += ['    <file alias="%s">%s</file>' % (n, n) for n in names]
    lines += ["</qresource>", "</RCC>", ""]
    return "\n".join(lines)


def scaled(img, factor):
    """Each pixel becomes a factor x factor square: pixel art stays crisp."""
    return [[c for c in row for _ in range(factor)] for row in img for _ in range(factor)]


# The installed program's icon at the desktop's larger sizes.
LARGE_ICONS = {"frm_Version_icon_%d.png" % size: size for size in (64, 128)}

PICTURE_FILES = ["pPicture%d.bmp" % n for n in range(12)]
PROGRAM_FILES = ["Form1.bmp", "Form1_icon.png", "frm_Version_icon.png"]


def to_rgb(img, bpp):
    if bpp == 4:
        return [[PALETTE16[c] for c in row] for row in img]
    return img


# ---------------------------------------------------------------------------
# Writing and checking
# ---------------------------------------------------------------------------

def write_all():
    outputs = {}
    for n, (build, bpp) in enumerate(PICTURES):
        outputs[PICTURE_FILES[n]] = bmp_bytes(build(), bpp)
    outputs["Form1.bmp"] = bmp_bytes(form1_picture(), 4)
    outputs["Form1_icon.png"] = png_bytes(form1_icon())
    for name, size in LARGE_ICONS.items():
        outputs[name] = png_bytes(scaled(version_icon(), size // 32))
    outputs["frm_Version_icon.png"] = png_bytes(version_icon())
    outputs["pictures.qrc"] = qrc_text(PICTURE_FILES).encode("ascii")
    outputs["program.qrc"] = qrc_text(PROGRAM_FILES).encode("ascii")
    for name, data in outputs.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)
        print("wrote", name)


def check_all():
    problems = []

    def fail(msg):
        problems.append(msg)

    # the rectangle lists themselves: bounds, order, and how 10 and 11 fit
    bounds = [(0, 8, 34, 21)] + [(1, 1, 9, 9)] * 11
    for n, rects in enumerate(TEMPLATES):
        got = (min(r[0] for r in rects), min(r[1] for r in rects),
               max(r[2] for r in rects), max(r[3] for r in rects))
        if got != bounds[n]:
            fail("template %d: bounds %s, expected %s" % (n, got, bounds[n]))
        if rects != sorted(rects, key=lambda r: (r[1], r[0])):
            fail("template %d: rectangles out of band order" % n)
    if region_pixels(DOTS) | region_pixels(NOTCHED) != region_pixels(CELL_SQUARE) \
            or region_pixels(DOTS) & region_pixels(NOTCHED):
        fail("templates 10 and 11 do not split the cell square")

    for n, name in enumerate(PICTURE_FILES):
        w, h, bpp, palette, rows = read_bmp(os.path.join(HERE, name))
        want = PICTURE_SIZES[n]
        if (w, h) != (want, want):
            fail("%s: size %dx%d, expected %dx%d" % (name, w, h, want, want))
            continue
        if bpp != PICTURES[n][1]:
            fail("%s: %d bits per pixel, expected %d" % (name, bpp, PICTURES[n][1]))
        if bpp == 4 and palette != PALETTE16:
            fail("%s: not the standard 16-colour palette" % name)
        region = region_pixels(TEMPLATES[n])
        coloured = {(x, y) for y in range(h) for x in range(w) if rows[y][x] != MAGENTA}
        if n == 9:
            centre = {(x, y) for y in range(2, 8) for x in range(2, 8)}
            expected = region - centre
        else:
            expected = region
        if coloured != expected:
            fail("%s: non-magenta pixels differ from template %d at %s"
                 % (name, n, sorted(coloured ^ expected)[:8]))

    w, h, bpp, palette, rows = read_bmp(os.path.join(HERE, "Form1.bmp"))
    if (w, h, bpp) != (32, 32, 4) or palette != PALETTE16:
        fail("Form1.bmp: expected 32x32, 4 bits per pixel, standard palette")
    elif any(MAGENTA in row for row in rows):
        fail("Form1.bmp: contains magenta")
    elif rows != to_rgb(form1_picture(), 4):
        fail("Form1.bmp: does not match the drawing")

    for name, build in (("Form1_icon.png", form1_icon), ("frm_Version_icon.png", version_icon)):
        w, h, depth, ctype, palette, trns, rows = read_png(os.path.join(HERE, name))
        if (w, h) != (32, 32) or palette != PALETTE16:
            fail("%s: expected 32x32 with the standard palette" % name)
        elif rows != build():
            fail("%s: does not match the drawing" % name)
        elif list(trns) != [255] * FUCHSIA + [0]:
            fail("%s: unexpected transparency" % name)
    for name, size in LARGE_ICONS.items():
        w, h, depth, ctype, palette, trns, rows = read_png(os.path.join(HERE, name))
        if (w, h) != (size, size) or palette != PALETTE16:
            fail("%s: expected %dx%d with the standard palette" % (name, size, size))
        elif rows != scaled(version_icon(), size // 32):
            fail("%s: is not frm_Version_icon.png scaled up" % name)
        elif list(trns) != [255] * FUCHSIA + [0]:
            fail("%s: unexpected transparency" % name)
    if form1_icon() == version_icon() or form1_icon() == form1_picture() or version_icon() == form1_picture():
        fail("the icons are not all different")

    for qrc, names in (("pictures.qrc", PICTURE_FILES), ("program.qrc", PROGRAM_FILES)):
        with open(os.path.join(HERE, qrc), encoding="ascii") as f:
            if f.read() != qrc_text(names):
                fail("%s: unexpected contents" % qrc)

    for msg in problems:
        print("FAIL", msg)
    if not problems:
        print("all pictures check out")
    return not problems


def main(argv):
    if argv[1:] not in ([], ["--check"]):
        print(__doc__)
        return 2
    if not argv[1:]:
        write_all()
    return 0 if check_all() else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
