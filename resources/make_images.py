#!/usr/bin/env python3
"""Draws the toolbar glyphs and the window icon of the main window as PNG files.

Each glyph comes as a normal image and a grey one for the disabled state. The shapes are drawn at 8 x 8
samples per pixel so that slanted edges come out smooth at these small sizes. Run it from anywhere; the images
land beside it, in glyphs/ and icons/.
"""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SAMPLES = 8


def write_png(path, width, height, pixels):
    """pixels: rows of (r, g, b, a) tuples."""
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.px = [[(0, 0, 0, 0) for _ in range(width)] for _ in range(height)]

    def fill(self, inside, colour):
        """Paints colour over every pixel in proportion to how much of it inside(x, y) covers."""
        r, g, b = colour
        for y in range(self.height):
            for x in range(self.width):
                hits = 0
                for sy in range(SAMPLES):
                    for sx in range(SAMPLES):
                        if inside(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES):
                            hits += 1
                if not hits:
                    continue
                a = hits / (SAMPLES * SAMPLES)
                br, bg, bb, ba = self.px[y][x]
                ba /= 255
                out_a = a + ba * (1 - a)
                mix = lambda c, d: round((c * a + d * ba * (1 - a)) / out_a)
                self.px[y][x] = (mix(r, br), mix(g, bg), mix(b, bb), round(out_a * 255))

    def save(self, path):
        write_png(path, self.width, self.height, self.px)


# Shapes, as predicates over continuous coordinates (pixel centres are at .5).
def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1


def ring(cx, cy, rx, ry, thickness):
    outer, inner = ellipse(cx, cy, rx, ry), ellipse(cx, cy, rx - thickness, ry - thickness)
    return lambda x, y: outer(x, y) and not inner(x, y)


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def stroke(x0, y0, x1, y1, width):
    """A straight stroke with round ends."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(shape, cut):
    return lambda x, y: shape(x, y) and not cut(x, y)


def disabled(canvas):
    """The grey image of a disabled button: the shape in shadow grey over a white highlight one pixel
    down and to the right, as the platform draws disabled glyphs."""
    grey = Canvas(canvas.width, canvas.height)
    for y in range(canvas.height):
        for x in range(canvas.width):
            if x > 0 and y > 0:
                r, g, b, a = canvas.px[y - 1][x - 1]
                if a and (r + g + b) / 3 < 200:
                    grey.px[y][x] = (255, 255, 255, a)
    for y in range(canvas.height):
        for x in range(canvas.width):
            r, g, b, a = canvas.px[y][x]
            if not a:
                continue
            light = (r * 30 + g * 59 + b * 11) / 100
            shade = 128 if light < 200 else 192
            br, bg, bb, ba = grey.px[y][x]
            alpha = a / 255
            under = ba / 255
            out = alpha + under * (1 - alpha)
            value = round((shade * alpha + br * under * (1 - alpha)) / out)
            grey.px[y][x] = (value, value, value, round(out * 255))
    return grey


BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
NAVY = (0, 0, 128)
BLUE = (0, 0, 255)
TEAL = (0, 128, 128)
RED = (255, 0, 0)
MAROON = (128, 0, 0)
GREEN = (0, 128, 0)
GREY = (128, 128, 128)
YELLOW = (255, 204, 0)
SKIN = (236, 188, 150)
SKIN_EDGE = (168, 112, 80)


def open_book():
    c = Canvas(16, 16)
    left_page = polygon([(1, 4), (7.5, 5.5), (7.5, 14.5), (1, 13)])
    right_page = polygon([(8.5, 5.5), (15, 4), (15, 13), (8.5, 14.5)])
    cover = polygon([(0, 4.5), (8, 6.5), (16, 4.5), (16, 14), (8, 16), (0, 14)])
    c.fill(cover, NAVY)
    c.fill(left_page, WHITE)
    c.fill(right_page, WHITE)
    c.fill(stroke(1, 2.5, 7.5, 4.2, 1.1), NAVY)  # the lifted page on the left
    c.fill(stroke(8.5, 4.2, 15, 2.5, 1.1), NAVY)
    c.fill(rect(7.5, 5, 8.5, 15.5), NAVY)  # the spine
    for i in range(4):
        y = 7.2 + 1.7 * i
        c.fill(stroke(2.5, y - 0.9, 6.3, y, 0.8), GREY)
        c.fill(stroke(9.7, y, 13.5, y - 0.9, 0.8), GREY)
    return c


def font_letters():
    c = Canvas(28, 29)
    # F, top left
    c.fill(union(rect(1, 1, 4, 14), rect(1, 1, 12, 4), rect(1, 6, 9, 9)), BLUE)
    # o, top right
    c.fill(ring(20.5, 8.5, 5.5, 5.5, 3), TEAL)
    # n, bottom left
    n_arch = minus(ring(8, 21.5, 5, 5.5, 3), rect(0, 21.5, 28, 29))
    c.fill(union(rect(3, 16, 6, 28), n_arch, rect(10, 21.5, 13, 28)), RED)
    # T, bottom right
    c.fill(union(rect(15, 15, 28, 18), rect(20, 15, 23, 28)), GREEN)
    return c


def hand_writing():
    c = Canvas(16, 16)
    # The page.
    c.fill(rect(1, 1, 12, 15), BLACK)
    c.fill(rect(2, 2, 11, 14), WHITE)
    for y in (4, 6, 8):
        c.fill(rect(3, y, 10, y + 0.8), GREY)
    c.fill(stroke(3, 11, 6, 10.5, 0.9), BLUE)  # the line being written
    # The pencil, its point on the end of the written line.
    c.fill(polygon([(6, 10.5), (7.5, 8.2), (8.6, 9.3)]), SKIN_EDGE)
    c.fill(polygon([(6, 10.5), (6.6, 9.6), (7.0, 10.0)]), BLACK)
    c.fill(polygon([(7.5, 8.2), (13.3, 2.4), (14.4, 3.5), (8.6, 9.3)]), YELLOW)
    c.fill(stroke(7.5, 8.2, 13.3, 2.4, 0.4), MAROON)
    c.fill(polygon([(13.3, 2.4), (14.1, 1.6), (15.2, 2.7), (14.4, 3.5)]), RED)
    # The hand holding it.
    hand = union(ellipse(11.3, 10.4, 3.6, 2.8), ellipse(9.4, 8.9, 1.6, 1.2), ellipse(13.6, 13.2, 2.2, 2.6))
    c.fill(hand, SKIN_EDGE)
    c.fill(union(ellipse(11.3, 10.4, 3.0, 2.2), ellipse(9.5, 8.9, 1.0, 0.7), ellipse(13.6, 13.3, 1.6, 2.0)), SKIN)
    c.fill(stroke(9.2, 9.9, 11.6, 11.3, 0.6), SKIN_EDGE)  # the curled finger
    return c


def shin_icon():
    """A three-armed letter in the manner of the Hebrew shin, with a dot over its left arm."""
    c = Canvas(32, 32)
    blue = (16, 64, 208)
    base = union(stroke(11, 26.5, 25.5, 26.5, 4), ellipse(18, 26, 8, 2.6))
    left_arm = union(stroke(5.5, 9.5, 11.5, 26, 3.6), ellipse(5.2, 9.0, 2.8, 2.0))
    middle_arm = union(stroke(14, 11.5, 17.5, 25.5, 3.2), ellipse(13.8, 11.0, 2.6, 1.9))
    right_arm = union(stroke(25, 9, 25.5, 26.5, 3.6), ellipse(24.6, 8.6, 2.9, 2.0))
    c.fill(union(base, left_arm, middle_arm, right_arm), blue)
    c.fill(ellipse(5, 3.2, 2.2, 2.2), blue)  # the dot over the left arm
    return c


def main():
    glyphs = {
        "openbook": open_book(),
        "fontletters": font_letters(),
        "handwriting": hand_writing(),
    }
    for name, canvas in glyphs.items():
        canvas.save(os.path.join(HERE, "glyphs", name + ".png"))
        disabled(canvas).save(os.path.join(HERE, "glyphs", name + "-disabled.png"))
    shin_icon().save(os.path.join(HERE, "icons", "karte.png"))


if __name__ == "__main__":
    main()
