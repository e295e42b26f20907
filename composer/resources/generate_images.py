#!/usr/bin/env python3
"""Draws the composer's picture faces and window icon.

Run once by hand after changing a glyph or the eye; the build never runs it. The PNG and ICO
files it writes are committed and are what the build packs into the program. Only the Python
standard library is used, so the output is the same on every machine.

    python3 generate_images.py        # rewrites faces/*.png, faces-bmp/*.bmp, icons/quillon.*

The Windows composer packs the faces as 4-bit BMPs (faces-bmp/), which Windows loads without an
image codec; they hold the very pixels of the PNGs.
"""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

FACE_WIDTH = 15
FACE_HEIGHT = 23

# The four colours of every face, in palette order.
BACKGROUND = (248, 248, 248)
LIGHT_GREY = (176, 176, 176)
DARK_GREY = (96, 96, 96)
GLYPH = (16, 16, 16)
PALETTE = [BACKGROUND, LIGHT_GREY, DARK_GREY, GLYPH]
SHADE = {".": 0, "+": 1, "o": 2, "#": 3}

# Serif figures, 13 pixels tall, traced from DejaVu Serif at this size and then tidied by hand so
# that the stems sit on whole pixels. '.' background, '+' light grey, 'o' dark grey, '#' glyph.
DIGITS = {
    "0": [
        "..o###o..",
        ".o#+.+#o.",
        ".#o...o#.",
        "o#+...+#o",
        "##.....##",
        "##.....##",
        "##.....##",
        "##.....##",
        "##.....##",
        "o#+...+#o",
        ".#o...o#.",
        ".o#+.+#o.",
        "..o###o..",
    ],
    "1": [
        "...o#....",
        ".+###....",
        "+o.o#....",
        "...o#....",
        "...o#....",
        "...o#....",
        "...o#....",
        "...o#....",
        "...o#....",
        "...o#....",
        "...o#....",
        "...o#....",
        ".#######.",
    ],
    "2": [
        ".+o###o+.",
        ".#o...o#+",
        ".#.....##",
        ".+.....##",
        ".......##",
        "......+#+",
        "......#o.",
        ".....o#..",
        "....o#...",
        "...o#....",
        "..o#....#",
        ".o#o++++#",
        ".########",
    ],
    "3": [
        ".+o###o+.",
        ".#o...o#+",
        ".#.....##",
        ".......##",
        "......+#o",
        "...+o##+.",
        "......+#o",
        ".......##",
        ".......##",
        ".+.....##",
        "+#.....##",
        "+#+...o#+",
        ".o####o+.",
    ],
    "4": [
        "......o#.",
        ".....o##.",
        "....+#o#.",
        "....#+o#.",
        "...o+.o#.",
        "..+#..o#.",
        "..#+..o#.",
        ".o+...o#.",
        ".#....o#.",
        "o########",
        "......o#.",
        "......o#.",
        "....o####",
    ],
    "5": [
        ".#######.",
        ".#+++++..",
        ".#.......",
        ".#.......",
        ".#+o##o..",
        ".##+..o#+",
        ".+.....#o",
        ".......##",
        ".......##",
        ".+.....##",
        "o#.....#o",
        "o#+...+#.",
        ".o####o..",
    ],
    "6": [
        "..+o###o.",
        ".+#+...#+",
        ".#+......",
        "o#.......",
        "##.+ooo+.",
        "##o+...#+",
        "##.....##",
        "##.....##",
        "##.....##",
        "o#.....#o",
        "+#+...+#+",
        ".o#+.+#o.",
        "..o###o..",
    ],
    "7": [
        "########o",
        "#o++++o#+",
        "#.....o#.",
        "......#o.",
        ".....+#+.",
        ".....o#..",
        ".....#o..",
        "....+#+..",
        "....o#...",
        "....##...",
        "...o#o...",
        "...##....",
        "...##....",
    ],
}

# The octave dot, about 3 x 3 pixels, drawn round by its grey corners.
DOT = ["o#o", "###", "o#o"]

# The extend command's dash: 9 pixels on row 10, its lower edge softened by a light grey row.
DASH = ["o#######o", ".+++++++."]

# The line-break command's return arrow: a stroke down the right half that turns left at its
# foot and ends in a filled arrow head.
RETURN_ARROW = [
    ".........#+..",
    ".........#+..",
    ".........#+..",
    ".........#+..",
    ".........#+..",
    ".........#+..",
    ".....+...#+..",
    "...+o#...#+..",
    ".+o###...#+..",
    "o#########+..",
    ".+o###++++...",
    "...+o#.......",
    ".....+.......",
]

DIGIT_TOP = 4  # the digit's usual rows are 4 to 16
RAISED_DIGIT_TOP = 1  # rows 1 to 13 in the underlined faces of groups 1 and 2
UNDERLINE_ROWS = (19, 21)
UNDERLINE_COLUMNS = range(1, 14)


def blank_face():
    return [[0] * FACE_WIDTH for _ in range(FACE_HEIGHT)]


def stamp(face, art, top, left=None):
    """Copies pixel art onto the face; left=None centres it across."""
    width = max(len(line) for line in art)
    if left is None:
        left = (FACE_WIDTH - width) // 2
    for dy, line in enumerate(art):
        for dx, ch in enumerate(line):
            if SHADE[ch]:
                face[top + dy][left + dx] = SHADE[ch]


def note_face(group, row, degree):
    face = blank_face()
    below = group in (1, 2)
    digit_top = RAISED_DIGIT_TOP if below and row > 1 else DIGIT_TOP
    stamp(face, DIGITS[str(degree)], digit_top)
    if below:
        stamp(face, DOT, 16 if row > 1 else 18)
    elif group == 4:
        stamp(face, DOT, 0 if row == 1 else 1)
    for line in UNDERLINE_ROWS[: row - 1]:
        for x in UNDERLINE_COLUMNS:
            face[line][x] = 3
    return face


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def indexed_png(width, height, rows, palette, alpha=None):
    """An 8-bit palette PNG; rows hold palette indices, alpha the opacity of each entry."""
    raw = b"".join(b"\x00" + bytes(r) for r in rows)
    out = b"\x89PNG\r\n\x1a\n"
    out += png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0))
    out += png_chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    if alpha is not None:
        last = max((i for i, a in enumerate(alpha) if a != 255), default=-1)
        if last >= 0:
            out += png_chunk(b"tRNS", bytes(alpha[: last + 1]))
    out += png_chunk(b"IDAT", zlib.compress(raw, 9))
    out += png_chunk(b"IEND", b"")
    return out


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def indexed_bmp(width, height, rows, palette):
    """A 4-bit palette BMP (at most 16 colours), bottom-up as Windows stores it."""
    stride = ((width * 4 + 31) // 32) * 4
    pixels = b""
    for r in reversed(rows):
        packed = bytearray(stride)
        for x, index in enumerate(r):
            packed[x // 2] |= index << (4 if x % 2 == 0 else 0)
        pixels += bytes(packed)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + 40 + len(colours)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels), 3780, 3780,
                       len(palette), len(palette))
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + info + colours + pixels


def face_png(face):
    return indexed_png(FACE_WIDTH, FACE_HEIGHT, face, PALETTE)


def write_face(name, face):
    write(os.path.join(HERE, "faces", name + ".png"), face_png(face))
    write(os.path.join(HERE, "faces-bmp", name + ".bmp"),
          indexed_bmp(FACE_WIDTH, FACE_HEIGHT, face, PALETTE))


def write_faces():
    for group in range(1, 5):
        for row in range(1, 4):
            for degree in range(1, 8):
                # Group 1 draws exactly what group 2 draws: one dot below, the same bytes.
                drawn_group = 2 if group == 1 else group
                write_face("Command%d%d%d" % (group, row, degree),
                           note_face(drawn_group, row, degree))

    dash = blank_face()
    stamp(dash, DASH, 10)
    write_face("Command511", dash)

    rest = blank_face()
    stamp(rest, DIGITS["0"], DIGIT_TOP)
    write_face("Command512", rest)

    arrow = blank_face()
    stamp(arrow, RETURN_ARROW, DIGIT_TOP)
    write_face("Command514", arrow)


# ---- the window icon: a stylised eye, drawn at any size from one geometric description ----

OUTLINE = (32, 36, 56)
SCLERA = (252, 252, 246)
IRIS_INNER = (64, 170, 200)
IRIS_OUTER = (22, 78, 132)
PUPIL = (12, 12, 20)
SHINE = (255, 255, 255)
LASH = OUTLINE


def eye_sample(x, y):
    """Colour and opacity of the eye at (x, y) in a 64-unit square; None where transparent."""
    # Set a little below the middle so that the lashes have room above the lid.
    cx, cy = 32.0, 35.0
    # The lids are two circular arcs meeting at the corners (4, cy) and (60, cy).
    upper_r, upper_cy = 29.6, cy + 9.6
    lower_r, lower_cy = 30.8, cy - 12.8
    du = math.hypot(x - cx, y - upper_cy) - upper_r  # < 0 below the upper lid
    dl = math.hypot(x - cx, y - lower_cy) - lower_r  # < 0 above the lower lid
    inside = max(du, dl)
    lid = 2.6
    # Three short lashes above the upper lid, pointing away from the iris.
    for angle in (-0.55, 0.0, 0.55):
        a = math.pi / 2 + angle
        sx = cx + upper_r * math.cos(a + math.pi)
        sy = upper_cy - upper_r * math.sin(a)
        ex = cx + (upper_r + 8.0) * math.cos(a + math.pi)
        ey = upper_cy - (upper_r + 8.0) * math.sin(a)
        if segment_distance(x, y, sx, sy, ex, ey) < 1.4:
            return LASH
    if inside > lid / 2:
        return None
    if inside > -lid / 2:
        return OUTLINE
    d = math.hypot(x - cx, y - cy)
    if math.hypot(x - 37.0, y - (cy - 5.5)) < 3.0:
        return SHINE
    if d < 5.8:
        return PUPIL
    if d < 12.5:
        t = (d - 5.8) / (12.5 - 5.8)
        return tuple(round(a + (b - a) * t) for a, b in zip(IRIS_INNER, IRIS_OUTER))
    if d < 14.0:
        return OUTLINE
    return SCLERA


def segment_distance(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy)))
    return math.hypot(px - (ax + t * vx), py - (ay + t * vy))


def render_eye(size, samples=6):
    """RGBA rows, each pixel the average of samples x samples points."""
    scale = 64.0 / size
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(samples):
                for sx in range(samples):
                    c = eye_sample((px + (sx + 0.5) / samples) * scale,
                                   (py + (sy + 0.5) / samples) * scale)
                    if c is not None:
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        a += 1
            n = samples * samples
            if a == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
        pixels.append(row)
    return pixels


def median_cut(colours, count):
    """Up to count representative colours of a list of (rgba, weight)."""
    boxes = [colours]
    while len(boxes) < count:
        boxes.sort(key=lambda bx: -box_range(bx)[0])
        box = boxes[0]
        spread, channel = box_range(box)
        if spread == 0:
            break
        box.sort(key=lambda cw: cw[0][channel])
        total = sum(w for _, w in box)
        acc = 0
        split = 1
        for i, (_, w) in enumerate(box):
            acc += w
            if acc >= total / 2:
                split = max(1, min(len(box) - 1, i + 1))
                break
        boxes[0:1] = [box[:split], box[split:]]
    result = []
    for box in boxes:
        total = sum(w for _, w in box)
        result.append(tuple(round(sum(c[k] * w for c, w in box) / total) for k in range(4)))
    return result


def box_range(box):
    best = (0, 0)
    for k in range(4):
        values = [c[k] for c, _ in box]
        best = max(best, (max(values) - min(values), k))
    return best


def indexed_eye(size):
    """The eye at one size as a palette of at most 256 colours and rows of indices."""
    pixels = render_eye(size)
    weights = {}
    for row in pixels:
        for p in row:
            weights[p] = weights.get(p, 0) + 1
    palette = median_cut(list(weights.items()), 256)
    # Fully transparent pixels all map onto one clear entry.
    palette = [p for p in palette if p[3] != 0] + [(0, 0, 0, 0)]
    palette = palette[:256]
    lookup = {}
    rows = []
    for row in pixels:
        out = []
        for p in row:
            if p not in lookup:
                if p[3] == 0:
                    lookup[p] = len(palette) - 1
                else:
                    lookup[p] = min(range(len(palette)),
                                    key=lambda i: sum((palette[i][k] - p[k]) ** 2
                                                      for k in range(4)))
            out.append(lookup[p])
        rows.append(out)
    return palette, rows


def eye_png(size):
    palette, rows = indexed_eye(size)
    return indexed_png(size, size, rows, [p[:3] for p in palette], [p[3] for p in palette])


def ico(images):
    """A Windows icon file holding PNG images; images are (size, png bytes)."""
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b""
    body = b""
    for size, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 8, len(data),
                               offset + len(body))
        body += data
    return header + entries + body


def write_icons():
    out = os.path.join(HERE, "icons")
    big = eye_png(64)
    write(os.path.join(out, "quillon.png"), big)
    write(os.path.join(out, "quillon.ico"),
          ico([(16, eye_png(16)), (32, eye_png(32)), (48, eye_png(48)), (64, big)]))


if __name__ == "__main__":
    write_faces()
    write_icons()
