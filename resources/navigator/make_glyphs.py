#!/usr/bin/env python3
"""Draws the glyphs of the record navigator bar as PNG files, beside this script.

Every glyph is 13 pixels high: 10 wide for Prior and Next, 14 for the others. Each comes as a black image and a
grey one for the disabled state, drawn the way the toolbar glyphs of the main window are (make_images.py one
folder up supplies the canvas and the disabled look). The lower-left pixel of every image is transparent. The
shapes sit on whole pixels, so that the small triangles and bars come out sharp.
"""

import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))

from make_images import BLACK, Canvas, disabled, polygon, rect, union  # noqa: E402

HEIGHT = 13


def triangle_left(tip_x, base_x, top, bottom):
    middle = (top + bottom) / 2
    return polygon([(tip_x, middle), (base_x, top), (base_x, bottom)])


def triangle_right(tip_x, base_x, top, bottom):
    middle = (top + bottom) / 2
    return polygon([(tip_x, middle), (base_x, bottom), (base_x, top)])


def first():
    c = Canvas(14, HEIGHT)
    c.fill(union(rect(3, 2, 5, 11), triangle_left(5.5, 11, 2, 11)), BLACK)
    return c


def prior():
    c = Canvas(10, HEIGHT)
    c.fill(triangle_left(2.5, 7.5, 2, 11), BLACK)
    return c


def next_():
    c = Canvas(10, HEIGHT)
    c.fill(triangle_right(7.5, 2.5, 2, 11), BLACK)
    return c


def last():
    c = Canvas(14, HEIGHT)
    c.fill(union(triangle_right(8.5, 3, 2, 11), rect(9, 2, 11, 11)), BLACK)
    return c


def insert():
    c = Canvas(14, HEIGHT)
    c.fill(union(rect(6, 2, 8, 12), rect(2, 6, 12, 8)), BLACK)
    return c


def delete():
    c = Canvas(14, HEIGHT)
    c.fill(rect(2, 6, 12, 8), BLACK)
    return c


def edit():
    c = Canvas(14, HEIGHT)
    c.fill(polygon([(7, 3), (11.5, 10), (2.5, 10)]), BLACK)
    return c


def post():
    c = Canvas(14, HEIGHT)
    c.fill(polygon([(1.5, 6.5), (3, 5), (5.5, 7.5), (11, 2), (12.5, 3.5), (5.5, 10.5)]), BLACK)
    return c


def cancel():
    c = Canvas(14, HEIGHT)
    c.fill(polygon([(3, 3.4), (3.9, 2.5), (11, 9.6), (10.1, 10.5)]), BLACK)
    c.fill(polygon([(10.1, 2.5), (11, 3.4), (3.9, 10.5), (3, 9.6)]), BLACK)
    return c


def refresh():
    """Three quarters of a ring, open at the top right, with the arrow head on its upper end."""
    c = Canvas(14, HEIGHT)
    cx, cy, outer, inner = 6.5, 7, 4.8, 3.0

    def arc(x, y):
        dx, dy = x - cx, y - cy
        r = math.hypot(dx, dy)
        if not inner <= r <= outer:
            return False
        angle = math.degrees(math.atan2(-dy, dx)) % 360  # counter-clockwise from east, y up
        return not (15 <= angle <= 80)

    c.fill(arc, BLACK)
    # The head points along the ring where it ends at the top, turning clockwise towards the gap.
    c.fill(polygon([(6.3, 0.4), (10.6, 2.6), (6.3, 5.4)]), BLACK)
    return c


GLYPHS = {
    "first": first,
    "prior": prior,
    "next": next_,
    "last": last,
    "insert": insert,
    "delete": delete,
    "edit": edit,
    "post": post,
    "cancel": cancel,
    "refresh": refresh,
}


def main():
    for name, draw in GLYPHS.items():
        canvas = draw()
        assert canvas.px[HEIGHT - 1][0][3] == 0, name + ": the lower-left pixel must stay transparent"
        canvas.save(os.path.join(HERE, name + ".png"))
        disabled(canvas).save(os.path.join(HERE, name + "-disabled.png"))


if __name__ == "__main__":
    main()
