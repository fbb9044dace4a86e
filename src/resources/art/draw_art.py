#!/usr/bin/env python3
"""Draws the setup's icon, banner and maker's logo and writes them as ICO and BMP files."""
# Pure standard library and fully deterministic: running it again rewrites identical files.
# Shapes are rendered supersampled in RGB, then reduced to each image's palette.

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# ---------------------------------------------------------------- pixel font
# Proportional 7-row glyphs; lower-case letters use rows 2..6 (no descenders needed).
FONT = {
    ' ': ["...", "...", "...", "...", "...", "...", "..."],
    'A': [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    'D': ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    'E': ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    'I': ["###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"],
    'K': ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    'L': ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    'N': ["#...#", "##..#", "#.#.#", "#.#.#", "#..##", "#...#", "#...#"],
    'O': [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    'R': ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    'S': [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    'T': ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    'U': ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    'W': ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."],
    'a': [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
    'd': ["....#", "....#", ".####", "#...#", "#...#", "#...#", ".####"],
    'e': [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    'f': ["..##", ".#..", "####", ".#..", ".#..", ".#..", ".#.."],
    'l': ["##.", ".#.", ".#.", ".#.", ".#.", ".#.", "###"],
    'n': [".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"],
    'r': ["....", "....", "#.##", "##..", "#...", "#...", "#..."],
    'w': [".....", ".....", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#."],
}


def text_width(text, spacing=1):
    """Width of text in font pixels."""
    return sum(len(FONT[c][0]) for c in text) + spacing * (len(text) - 1)


def text_pixels(text, spacing=1):
    """Yields (column, row) of every lit font pixel of text."""
    x = 0
    for c in text:
        glyph = FONT[c]
        for row, line in enumerate(glyph):
            for col, ch in enumerate(line):
                if ch == '#':
                    yield x + col, row
        x += len(glyph[0]) + spacing


# ---------------------------------------------------------------- canvas
def in_polygon(points, x, y):
    """Even-odd test of (x, y) against a closed polygon."""
    hit = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


class Canvas:
    """RGB float canvas drawn at SS times the final resolution."""

    def __init__(self, width, height, colour, ss=4):
        self.SS = ss
        self.w, self.h = width, height
        self.W, self.H = width * self.SS, height * self.SS
        self.px = [list(colour) for _ in range(self.W * self.H)]

    def _blend(self, X, Y, colour, alpha=1.0):
        if 0 <= X < self.W and 0 <= Y < self.H:
            p = self.px[Y * self.W + X]
            for i in range(3):
                p[i] += (colour[i] - p[i]) * alpha

    def shade(self, fn):
        """Sets every subpixel to fn(x, y) given in final-pixel coordinates."""
        s = self.SS
        for Y in range(self.H):
            for X in range(self.W):
                self.px[Y * self.W + X] = list(fn((X + 0.5) / s, (Y + 0.5) / s))

    def fill(self, inside, colour, alpha=1.0, box=None):
        """Paints the subpixels whose centre satisfies inside(x, y) (final-pixel units)."""
        s = self.SS
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        for Y in range(max(0, int(y0 * s)), min(self.H, int(math.ceil(y1 * s)))):
            for X in range(max(0, int(x0 * s)), min(self.W, int(math.ceil(x1 * s)))):
                if inside((X + 0.5) / s, (Y + 0.5) / s):
                    self._blend(X, Y, colour, alpha)

    def rect(self, x0, y0, x1, y1, colour, alpha=1.0):
        self.fill(lambda x, y: True, colour, alpha, (x0, y0, x1, y1))

    def disc(self, cx, cy, r, colour, alpha=1.0):
        self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, colour, alpha,
                  (cx - r, cy - r, cx + r, cy + r))

    def ring(self, cx, cy, r0, r1, colour, alpha=1.0):
        self.fill(lambda x, y: r0 * r0 <= (x - cx) ** 2 + (y - cy) ** 2 <= r1 * r1,
                  colour, alpha, (cx - r1, cy - r1, cx + r1, cy + r1))

    def line(self, ax, ay, bx, by, width, colour, alpha=1.0):
        dx, dy = bx - ax, by - ay
        length2 = dx * dx + dy * dy or 1e-9
        half = width / 2.0

        def inside(x, y):
            t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
            ex, ey = ax + t * dx - x, ay + t * dy - y
            return ex * ex + ey * ey <= half * half

        self.fill(inside, colour, alpha,
                  (min(ax, bx) - half, min(ay, by) - half, max(ax, bx) + half, max(ay, by) + half))

    def polygon(self, points, colour, alpha=1.0):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.fill(lambda x, y: in_polygon(points, x, y), colour, alpha,
                  (min(xs), min(ys), max(xs), max(ys)))

    def text(self, x, y, text, scale, colour, alpha=1.0, spacing=1):
        """Draws text with its top-left corner at (x, y); each font pixel is scale pixels square."""
        for col, row in text_pixels(text, spacing):
            self.rect(x + col * scale, y + row * scale,
                      x + (col + 1) * scale, y + (row + 1) * scale, colour, alpha)

    def resolve(self):
        """Averages the subpixels into final pixels: a list of rows of (r, g, b) ints."""
        s = self.SS
        rows = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                acc = [0.0, 0.0, 0.0]
                for Y in range(y * s, y * s + s):
                    base = Y * self.W + x * s
                    for X in range(base, base + s):
                        p = self.px[X]
                        acc[0] += p[0]
                        acc[1] += p[1]
                        acc[2] += p[2]
                n = s * s
                row.append(tuple(max(0, min(255, int(round(c / n)))) for c in acc))
            rows.append(row)
        return rows


# ---------------------------------------------------------------- palettes
def nearest(palette, colour):
    best, best_d = 0, None
    for i, p in enumerate(palette):
        d = (p[0] - colour[0]) ** 2 * 3 + (p[1] - colour[1]) ** 2 * 4 + (p[2] - colour[2]) ** 2 * 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def index_image(rows, palette):
    cache = {}
    out = []
    for row in rows:
        line = []
        for c in row:
            if c not in cache:
                cache[c] = nearest(palette, c)
            line.append(cache[c])
        out.append(line)
    return out


def adaptive_palette(rows, size=256):
    """Most frequent colours at 5 bits per channel; ties broken by colour value."""
    counts = {}
    for row in rows:
        for r, g, b in row:
            key = (r >> 3, g >> 3, b >> 3)
            counts[key] = counts.get(key, 0) + 1
    keys = sorted(counts, key=lambda k: (-counts[k], k))[:size]
    palette = [((r << 3) | (r >> 2), (g << 3) | (g >> 2), (b << 3) | (b >> 2)) for r, g, b in keys]
    palette.sort()
    while len(palette) < size:
        palette.append((0, 0, 0))
    return palette


# The 16 colours of the standard VGA palette, used for the icon.
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


# ---------------------------------------------------------------- file writers
def dib_bits(indices, bpp):
    """Packs palette indices bottom-up into DIB rows padded to 4 bytes."""
    data = bytearray()
    for row in reversed(indices):
        line = bytearray()
        if bpp == 8:
            line.extend(row)
        elif bpp == 4:
            for i in range(0, len(row), 2):
                hi = row[i]
                lo = row[i + 1] if i + 1 < len(row) else 0
                line.append((hi << 4) | lo)
        elif bpp == 1:
            for i in range(0, len(row), 8):
                byte = 0
                for k in range(8):
                    if i + k < len(row) and row[i + k]:
                        byte |= 0x80 >> k
                line.append(byte)
        while len(line) % 4:
            line.append(0)
        data.extend(line)
    return bytes(data)


def info_header(width, height, bpp, image_size, colours):
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bpp, 0, image_size, 2835, 2835,
                       colours, 0)


def palette_bytes(palette):
    return b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in palette)


def write_bmp(path, indices, palette, bpp):
    height, width = len(indices), len(indices[0])
    bits = dib_bits(indices, bpp)
    pal = palette_bytes(palette)
    offset = 14 + 40 + len(pal)
    with open(path, 'wb') as f:
        f.write(struct.pack('<2sIHHI', b'BM', offset + len(bits), 0, 0, offset))
        f.write(info_header(width, height, bpp, len(bits), len(palette)))
        f.write(pal)
        f.write(bits)


def write_ico(path, images):
    """images: list of (indices, mask) with 16-colour VGA indices; mask 1 = transparent."""
    blobs = []
    for indices, mask in images:
        size = len(indices)
        xor = dib_bits(indices, 4)
        andm = dib_bits(mask, 1)
        blob = info_header(size, size * 2, 4, len(xor) + len(andm), 16) + palette_bytes(VGA16)
        blobs.append((size, blob + xor + andm))
    with open(path, 'wb') as f:
        f.write(struct.pack('<HHH', 0, 1, len(blobs)))
        offset = 6 + 16 * len(blobs)
        for size, blob in blobs:
            f.write(struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(blob), offset))
            offset += len(blob)
        for _, blob in blobs:
            f.write(blob)


# ---------------------------------------------------------------- artwork
TEAL = (0, 128, 128)
WHITE = (255, 255, 255)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def network(canvas, nodes, links, line_colour, node_colour, rim_colour, width, radius):
    for a, b in links:
        canvas.line(nodes[a][0], nodes[a][1], nodes[b][0], nodes[b][1], width, line_colour)
    for x, y in nodes:
        canvas.disc(x, y, radius + 0.9, rim_colour)
        canvas.disc(x, y, radius, node_colour)


def draw_banner():
    """TW_BMP: 168x47, dark teal panel with a node network and the product name."""
    w, h = 168, 47
    top, bottom = (0, 92, 100), (0, 34, 44)
    c = Canvas(w, h, top)
    c.shade(lambda x, y: mix(top, bottom, y / h))
    # Faint mesh across the whole panel.
    mesh = [(62, 6), (96, 40), (126, 4), (150, 38), (164, 14), (80, 44), (112, 26)]
    for a, b in [(0, 6), (6, 1), (6, 2), (2, 4), (4, 3), (3, 6), (1, 5)]:
        c.line(mesh[a][0], mesh[a][1], mesh[b][0], mesh[b][1], 1.0, (120, 200, 200), 0.16)
    for x, y in mesh:
        c.disc(x, y, 1.6, (150, 220, 220), 0.25)
    # The network emblem on the left.
    nodes = [(12, 14), (30, 9), (24, 27), (9, 36), (40, 33), (44, 16)]
    links = [(0, 1), (0, 2), (1, 2), (2, 3), (2, 4), (1, 5), (4, 5), (3, 4)]
    network(c, nodes, links, (110, 210, 210), (255, 255, 255), (0, 60, 70), 1.3, 2.6)
    c.disc(24, 27, 4.2, (0, 60, 70))
    c.disc(24, 27, 3.4, (255, 196, 64))
    # Product name with a soft shadow, and a thin rule under it.
    name = "Tarnwell"
    scale = 2
    tx, ty = 58, 8
    c.text(tx + 1, ty + 1, name, scale, (0, 20, 28), 0.8)
    c.text(tx, ty, name, scale, WHITE)
    c.rect(tx, 27, tx + text_width(name) * scale, 28, (255, 196, 64))
    sub = "NETWORK UTILITIES"
    c.text(tx, 32, sub, 1, (170, 225, 225))
    # Border.
    c.rect(0, 0, w, 1, (0, 140, 150))
    c.rect(0, 0, 1, h, (0, 140, 150))
    c.rect(0, h - 1, w, h, (0, 16, 22))
    c.rect(w - 1, 0, w, h, (0, 16, 22))
    rows = c.resolve()
    palette = adaptive_palette(rows)
    return index_image(rows, palette), palette


LOGO_PALETTE = [
    TEAL, (0, 96, 104), (0, 64, 72), (0, 40, 48),
    (0, 0, 0), (64, 160, 160), (128, 192, 192), (192, 224, 224),
    (255, 255, 255), (160, 160, 160), (232, 184, 64), (176, 128, 40),
    (112, 148, 104), (48, 110, 80), (200, 210, 200), (96, 176, 176),
]


def draw_logo():
    """ARDLOGO: 115x84 on the main window's teal, a fell and forest emblem above the maker's name."""
    w, h = 115, 84
    c = Canvas(w, h, TEAL)
    cx, cy, r = 57.5, 30, 25
    c.disc(cx + 1.2, cy + 1.2, r + 1.5, (0, 64, 72))            # shadow
    c.disc(cx, cy, r + 1.5, (232, 184, 64))                     # gold rim
    c.disc(cx, cy, r, (0, 40, 48))                              # night sky
    inside = lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= (r - 0.3) ** 2
    c.disc(cx + 10, cy - 11, 4.5, (232, 184, 64))               # moon
    c.disc(cx + 12, cy - 13, 4.0, (0, 40, 48))
    # Fells: a far ridge and a near peak, both snow-capped.
    far = [(cx - 30, cy + 12), (cx - 8, cy - 10), (cx + 6, cy + 2), (cx + 14, cy - 4),
           (cx + 30, cy + 12)]
    c.fill(lambda x, y: inside(x, y) and in_polygon(far, x, y), (64, 160, 160))
    near = [(cx - 30, cy + 20), (cx - 14, cy - 2), (cx - 2, cy + 10), (cx + 30, cy + 20)]
    c.fill(lambda x, y: inside(x, y) and in_polygon(near, x, y), (0, 96, 104))
    snow = [(cx - 14, cy - 2), (cx - 10.5, cy + 2.3), (cx - 13, cy + 1), (cx - 15.5, cy + 3),
            (cx - 17.5, cy + 1.7)]
    c.polygon(snow, WHITE)
    snow2 = [(cx - 8, cy - 10), (cx - 4, cy - 5.5), (cx - 6.5, cy - 6.5), (cx - 8.5, cy - 4.5),
             (cx - 11, cy - 6.3)]
    c.polygon(snow2, WHITE)
    # Forest: a row of fir trees at the foot.
    for i, tx in enumerate([-20, -13, -6, 1, 8, 15, 22]):
        base = cy + 21 - (i % 2) * 1.5
        tall = 11 + (i * 5 % 3) * 2
        tree = [(cx + tx - 3.5, base), (cx + tx, base - tall), (cx + tx + 3.5, base)]
        c.fill(lambda x, y, t=tree: inside(x, y) and in_polygon(t, x, y), (48, 110, 80))
    c.fill(lambda x, y: inside(x, y) and y > cy + 20, (0, 64, 72))
    c.ring(cx, cy, r - 0.2, r + 0.4, (176, 128, 40))
    # Maker's name.
    name = "Ardenfel"
    scale = 2
    tx = (w - text_width(name) * scale) / 2.0
    c.text(tx + 1, 63, name, scale, (0, 40, 48), 0.9)
    c.text(tx, 62, name, scale, WHITE)
    rows = c.resolve()
    return index_image(rows, LOGO_PALETTE), LOGO_PALETTE


def draw_icon(size):
    """APP_MAIN image: a teal tile with four nodes linked round a hub, in the VGA palette.

    Sampled once per pixel, so every edge is hard: blended colours would fall
    onto the wrong VGA entries."""
    k = size / 32.0
    c = Canvas(size, size, (0, 0, 0), ss=1)
    radius = 6 * k
    tile = lambda x, y: _rounded(x, y, 0.5, 0.5, size - 0.5, size - 0.5, radius)
    c.fill(lambda x, y: _rounded(x, y, 1.5, 1.5, size - 1.5, size - 1.5, radius - 1),
           (0, 128, 128))
    if size >= 32:
        near, far, hub, rim, dot, hub_rim, hub_dot, lw = 8, 24, 16, 3.9, 2.9, 5.0, 3.9, 2.0
    else:
        near, far, hub, rim, dot, hub_rim, hub_dot, lw = 4.5, 11.5, 8, 2.1, 1.2, 2.9, 2.0, 1.0
    nodes = [(near, near), (far, near), (far, far), (near, far)]
    for i in range(4):
        a, b = nodes[i], nodes[(i + 1) % 4]
        c.line(a[0], a[1], b[0], b[1], lw, (0, 255, 255))
        c.line(a[0], a[1], hub, hub, lw, (0, 255, 255))
    for x, y in nodes:
        c.disc(x, y, rim, (0, 0, 0))
        c.disc(x, y, dot, (255, 255, 255))
    c.disc(hub, hub, hub_rim, (0, 0, 0))
    c.disc(hub, hub, hub_dot, (255, 255, 0))
    indices = index_image(c.resolve(), VGA16)
    mask = [[0 if tile(x + 0.5, y + 0.5) else 1 for x in range(size)] for y in range(size)]
    for y in range(size):
        for x in range(size):
            if mask[y][x]:
                indices[y][x] = 0       # transparent pixels are black in the XOR image
    return indices, mask


def _rounded(x, y, x0, y0, x1, y1, r):
    qx = min(max(x, x0 + r), x1 - r)
    qy = min(max(y, y0 + r), y1 - r)
    return x0 <= x <= x1 and y0 <= y <= y1 and (x - qx) ** 2 + (y - qy) ** 2 <= r * r


def main():
    indices, palette = draw_banner()
    write_bmp(os.path.join(HERE, 'tw_bmp.bmp'), indices, palette, 8)
    indices, palette = draw_logo()
    write_bmp(os.path.join(HERE, 'ardlogo.bmp'), indices, palette, 4)
    write_ico(os.path.join(HERE, 'app_main.ico'), [draw_icon(16), draw_icon(32)])


if __name__ == '__main__':
    main()
