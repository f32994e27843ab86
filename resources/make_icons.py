#!/usr/bin/env python3
"""Draws the program's desktop icon: a scalable SVG and the PNG sizes desktops ask for, in the hicolor theme's
layout under icons/hicolor/, ready to be installed to <prefix>/share/icons.

The letter is the window icon's (make_images.py draws that one at 32 x 32): three arms on a base, in the manner
of the Hebrew shin, with a dot over the left arm. Its parts are described once, here, in the window icon's 32-unit
coordinates, and both the SVG and the PNGs are made from that description, so the sizes cannot drift apart. Run it
from anywhere; the files land beside it.
"""

import os

from make_images import Canvas, ellipse, stroke, union

HERE = os.path.dirname(os.path.abspath(__file__))
THEME = os.path.join(HERE, "icons", "hicolor")
UNITS = 32
BLUE = (16, 64, 208)
SIZES = (16, 24, 32, 48, 64, 128, 256)

# Strokes have round ends, as an SVG line with round caps: (x0, y0, x1, y1, width).
STROKES = [
    (11, 26.5, 25.5, 26.5, 4),  # the base
    (5.5, 9.5, 11.5, 26, 3.6),  # the left arm
    (14, 11.5, 17.5, 25.5, 3.2),  # the middle arm
    (25, 9, 25.5, 26.5, 3.6),  # the right arm
]
# (cx, cy, rx, ry): the belly of the base, the heads of the three arms and the dot.
ELLIPSES = [
    (18, 26, 8, 2.6),
    (5.2, 9.0, 2.8, 2.0),
    (13.8, 11.0, 2.6, 1.9),
    (24.6, 8.6, 2.9, 2.0),
    (5, 3.2, 2.2, 2.2),
]


def letter(scale):
    """The letter as one predicate over pixel coordinates of an image scale times the window icon's size."""
    parts = [stroke(*(v * scale for v in s)) for s in STROKES]
    parts += [ellipse(*(v * scale for v in e)) for e in ELLIPSES]
    return union(*parts)


def png(size):
    canvas = Canvas(size, size)
    canvas.fill(letter(size / UNITS), BLUE)
    return canvas


def svg():
    colour = "#%02x%02x%02x" % BLUE
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{UNITS}" height="{UNITS}" viewBox="0 0 {UNITS} {UNITS}">',
        "  <title>Karte Cards</title>",
        f'  <g fill="{colour}" stroke="{colour}" stroke-linecap="round">',
    ]
    for x0, y0, x1, y1, width in STROKES:
        lines.append(f'    <line x1="{x0}" y1="{y0}" x2="{x1}" y2="{y1}" stroke-width="{width}"/>')
    for cx, cy, rx, ry in ELLIPSES:
        lines.append(f'    <ellipse cx="{cx}" cy="{cy}" rx="{rx}" ry="{ry}" stroke="none"/>')
    lines += ["  </g>", "</svg>", ""]
    return "\n".join(lines)


def main():
    scalable = os.path.join(THEME, "scalable", "apps")
    os.makedirs(scalable, exist_ok=True)
    with open(os.path.join(scalable, "karte.svg"), "w", encoding="utf-8") as out:
        out.write(svg())
    for size in SIZES:
        folder = os.path.join(THEME, f"{size}x{size}", "apps")
        os.makedirs(folder, exist_ok=True)
        png(size).save(os.path.join(folder, "karte.png"))


if __name__ == "__main__":
    main()
