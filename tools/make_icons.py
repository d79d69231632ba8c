#!/usr/bin/env python3
"""Draw Kestrin's pictures.

    kestrin.png     the program icon, 32 x 32: a hovering kestrel (chestnut, blue-grey head)
                    over a sky-blue rounded square, with a green "higher" and a red "lower"
                    arrowhead below its wings
    kestrin-64.png  the same icon at 64 x 64, for sharper window icons
    tick.png        32 x 32, a green tick on a transparent background (a correct guess)
    cross.png       32 x 32, a red cross on a transparent background (a wrong guess)
    kestrin.svg     the program icon at any size, for the desktop's hicolor icon theme

By default the PNGs go to assets/ and kestrin.svg to packaging/; given an output folder, all of
them go there. Usage: python3 tools/make_icons.py [output folder]

Only the Python standard library is used. The pictures are drawn in a 100 x 100 design space
from shapes that can do two things: answer whether a point is inside them, which fills the
PNGs by supersampling each pixel (8 x 8 samples) for smooth edges, and write themselves out as
SVG elements, so the scalable icon is the very same drawing. A small PNG writer (zlib + struct)
saves RGBA images. The output is deterministic.
"""

import math
import os
import struct
import sys
import zlib
from collections import namedtuple

SUBSAMPLES = 8
UNITS = 100.0  # the design space is UNITS x UNITS, y growing downwards


def num(v):
    """A coordinate for SVG: at most 2 decimals, no trailing zeros."""
    s = ("%.2f" % v).rstrip("0").rstrip(".")
    return "0" if s == "-0" else s


def pair(p):
    return "%s,%s" % (num(p[0]), num(p[1]))


def hex_colour(c):
    return "#%02x%02x%02x" % tuple(int(round(v)) for v in c[:3])


def indent(lines, depth=1):
    return ["  " * depth + line for line in lines]


class Canvas:
    """An RGBA picture kept premultiplied, in floats 0..1, drawn in the design space."""

    def __init__(self, size, units=UNITS):
        self.size = size
        self.scale = size / units
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def fill(self, shape, colour, bbox=None):
        """Paint colour where the shape is; colour is (r, g, b[, a]) 0..255, or a function of
        (x, y) giving one. bbox (x0, y0, x1, y1) in design units limits the work."""
        inside = shape.inside
        n = SUBSAMPLES
        if bbox is None:
            px0, py0, px1, py1 = 0, 0, self.size, self.size
        else:
            px0 = max(0, int(math.floor(bbox[0] * self.scale)) - 1)
            py0 = max(0, int(math.floor(bbox[1] * self.scale)) - 1)
            px1 = min(self.size, int(math.ceil(bbox[2] * self.scale)) + 1)
            py1 = min(self.size, int(math.ceil(bbox[3] * self.scale)) + 1)
        for py in range(py0, py1):
            for px in range(px0, px1):
                hits = 0
                for sy in range(n):
                    y = (py + (sy + 0.5) / n) / self.scale
                    for sx in range(n):
                        x = (px + (sx + 0.5) / n) / self.scale
                        if inside(x, y):
                            hits += 1
                if not hits:
                    continue
                cx, cy = (px + 0.5) / self.scale, (py + 0.5) / self.scale
                c = colour(cx, cy) if callable(colour) else colour
                alpha = (c[3] / 255.0 if len(c) > 3 else 1.0) * hits / (n * n)
                dst = self.px[py * self.size + px]
                for k in range(3):
                    dst[k] = c[k] / 255.0 * alpha + dst[k] * (1.0 - alpha)
                dst[3] = alpha + dst[3] * (1.0 - alpha)

    def png(self):
        rows = bytearray()
        for y in range(self.size):
            rows.append(0)  # filter: none
            for x in range(self.size):
                r, g, b, a = self.px[y * self.size + x]
                if a > 0.0:
                    r, g, b = r / a, g / a, b / a
                for v in (r, g, b, a):
                    rows.append(max(0, min(255, int(round(v * 255.0)))))

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        header = struct.pack(">IIBBBBB", self.size, self.size, 8, 6, 0, 0, 0)  # 8-bit RGBA
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


class Svg:
    """The same drawing calls as Canvas, kept as SVG markup: the design space becomes the
    viewBox, so the picture scales to any size."""

    def __init__(self, size, units=UNITS, title="Kestrin"):
        self.size = size
        self.units = units
        self.title = title
        self.defs = []
        self.body = []
        self.ids = {}  # each definition's markup -> its id, so equal ones are written once

    def define(self, prefix, tag, attributes, inner):
        """Add a gradient, clip path or mask unless an equal one is there; returns its id."""
        key = (tag, attributes, tuple(inner))
        if key not in self.ids:
            ident = "%s%d" % (prefix, sum(1 for k in self.ids if k[0] == tag) + 1)
            self.ids[key] = ident
            self.defs.append('<%s id="%s" %s>' % (tag, ident, attributes))
            self.defs.extend(indent(inner))
            self.defs.append("</%s>" % tag)
        return self.ids[key]

    def everywhere(self):
        """A rectangle over the whole design space."""
        return Rect(0, 0, self.units, self.units)

    def paint(self, colour):
        """The SVG paint for a Canvas colour, and the opacity to paint it with."""
        if isinstance(colour, VerticalGradient):
            stops = ['<stop offset="0" stop-color="%s"/>' % hex_colour(colour.top),
                     '<stop offset="1" stop-color="%s"/>' % hex_colour(colour.bottom)]
            ident = self.define("gradient", "linearGradient",
                                'gradientUnits="userSpaceOnUse" x1="0" y1="%s" x2="0" y2="%s"'
                                % (num(colour.y0), num(colour.y1)), stops)
            return "url(#%s)" % ident, 1.0
        return hex_colour(colour), (colour[3] / 255.0 if len(colour) > 3 else 1.0)

    def fill(self, shape, colour, bbox=None):
        paint, opacity = self.paint(colour)
        lines = shape.svg(self, paint)
        if opacity < 1.0:
            # On the group, so that where one shape overlaps itself it is not painted twice.
            lines = ['<g opacity="%s">' % num(opacity)] + indent(lines) + ["</g>"]
        self.body.extend(lines)

    def text(self):
        out = ['<?xml version="1.0" encoding="UTF-8"?>',
               '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %s %s">'
               % (self.size, self.size, num(self.units), num(self.units)),
               "  <title>%s</title>" % self.title]
        if self.defs:
            out += ["  <defs>"] + indent(self.defs, 2) + ["  </defs>"]
        out += indent(self.body)
        out.append("</svg>")
        return "\n".join(out) + "\n"


# ---- shapes ----------------------------------------------------------------------------------
#
# Every shape answers inside(x, y) for the PNGs, and svg(picture, paint, grow) gives the SVG
# elements that paint it: paint is an SVG paint ("#rrggbb", "url(#gradient1)"), or None for bare
# outlines inside a clip path; grow widens the shape by that many units all round (a round-joined
# stroke in the same paint, under the fill).

def element(tag, geometry, paint, grow=0.0):
    attributes = "".join(' %s="%s"' % (name, value) for name, value in geometry)
    if paint is not None:
        attributes += ' fill="%s"' % paint
        if grow:
            attributes += ' stroke="%s" stroke-width="%s" stroke-linejoin="round"' % (paint, num(2 * grow))
    return "<%s%s/>" % (tag, attributes)


def bezier(p0, p1, p2, steps=12):
    """Points of a quadratic curve from p0 to p2 pulled towards p1 (p0 itself left out)."""
    pts = []
    for i in range(1, steps + 1):
        t = i / steps
        u = 1.0 - t
        pts.append((u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0],
                    u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1]))
    return pts


class Outline:
    """A closed outline of lines and quadratic curves, as path() describes it. points is the
    outline with each curve broken into short lines, for the inside test; the SVG keeps the
    true curves."""

    def __init__(self, start, curves, points):
        self.start = start
        self.curves = curves
        self.points = points

    def svg_path(self):
        commands = ["M" + pair(self.start)]
        for c in self.curves:
            commands.append("L" + pair(c[0]) if len(c) == 1 else "Q%s %s" % (pair(c[0]), pair(c[1])))
        return " ".join(commands) + " Z"

    def cut(self, side):
        """What lies of the outline on one side of a line (see Side), or None if nothing is
        there. Curves are split where they cross the line and the pieces are joined along it."""
        axis, at, greater = side
        pieces = []
        a = self.start
        for c in self.curves + [(self.start,)]:     # the closing line too
            pieces.extend(split_at_line(a, c, axis, at))
            a = c[-1]
        middles = [piece_middle(a, c)[axis] for a, c in pieces]
        kept = [piece for piece, m in zip(pieces, middles) if m != at and (m > at) == greater]
        if not kept:
            return None
        start, end, curves = kept[0][0], kept[0][0], []
        for a, c in kept:
            if a != end:
                curves.append((a,))                  # along the line, to where it comes back
            curves.append(c)
            end = c[-1]
        if end == start and len(curves[-1]) == 1:
            curves.pop()                             # Z closes it
        return path(start, *curves)


def lerp(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t)


def on_line(p, axis, at):
    return (at, p[1]) if axis == 0 else (p[0], at)


def piece_middle(a, c):
    if len(c) == 1:
        return lerp(a, c[0], 0.5)
    return lerp(lerp(a, c[0], 0.5), lerp(c[0], c[1], 0.5), 0.5)


def split_at_line(a, c, axis, at):
    """A line (a, (b,)) or curve (a, (control, b)) cut into pieces where it crosses the line
    where coordinate axis (0: x, 1: y) equals at."""
    if len(c) == 1:
        b = c[0]
        if (a[axis] - at) * (b[axis] - at) >= 0:
            return [(a, c)]
        m = on_line(lerp(a, b, (at - a[axis]) / (b[axis] - a[axis])), axis, at)
        return [(a, (m,)), (m, c)]
    control, b = c
    # a + 2t(control - a) + t^2(a - 2 control + b) = at
    qa = a[axis] - 2 * control[axis] + b[axis]
    qb = 2 * (control[axis] - a[axis])
    qc = a[axis] - at
    if abs(qa) < 1e-12:
        roots = [-qc / qb] if qb else []
    else:
        d = qb * qb - 4 * qa * qc
        roots = [] if d < 0 else [(-qb - math.sqrt(d)) / (2 * qa), (-qb + math.sqrt(d)) / (2 * qa)]
    pieces, done = [], 0.0
    for t in sorted(set(t for t in roots if 1e-9 < t < 1 - 1e-9)):
        u = (t - done) / (1.0 - done)                # where t falls in what is left of the curve
        near, far = lerp(a, control, u), lerp(control, b, u)
        m = on_line(lerp(near, far, u), axis, at)
        pieces.append((a, (near, m)))
        a, control, done = m, far, t
    pieces.append((a, (control, b)))
    return pieces


def path(start, *curves):
    """A closed outline: start, then (control, end) pairs for curves or (end,) for lines."""
    pts = [start]
    for c in curves:
        if len(c) == 1:
            pts.append(c[0])
        else:
            pts.extend(bezier(pts[-1], c[0], c[1]))
    return Outline(start, list(curves), pts)


def as_outline(points):
    """An Outline as it is, or a list of corners as an Outline of straight lines."""
    return points if isinstance(points, Outline) else path(points[0], *[(p,) for p in points[1:]])


def mirror(points, axis=50.0):
    """The outline reflected in the line x = axis (and so traced the other way round)."""
    outline = as_outline(points)
    flip = lambda p: (2 * axis - p[0], p[1])
    ends = [outline.start] + [c[-1] for c in outline.curves]
    curves = []
    for i in reversed(range(len(outline.curves))):
        c = outline.curves[i]
        curves.append((flip(c[0]), flip(ends[i])) if len(c) == 2 else (flip(ends[i]),))
    return Outline(flip(ends[-1]), curves, [(2 * axis - x, y) for x, y in reversed(outline.points)])


class Polygon:
    def __init__(self, points):
        self.outline = as_outline(points)
        self.points = self.outline.points

    def inside(self, x, y):
        points = self.points
        result = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result

    def svg(self, picture, paint, grow=0.0):
        return [element("path", [("d", self.outline.svg_path())], paint, grow)]

    def cut(self, side):
        outline = self.outline.cut(side)
        return Polygon(outline) if outline else None


class Ellipse:
    def __init__(self, cx, cy, rx, ry):
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, ry

    def inside(self, x, y):
        return ((x - self.cx) / self.rx) ** 2 + ((y - self.cy) / self.ry) ** 2 <= 1.0

    def svg(self, picture, paint, grow=0.0):
        return [element("ellipse", [("cx", num(self.cx)), ("cy", num(self.cy)),
                                    ("rx", num(self.rx)), ("ry", num(self.ry))], paint, grow)]


class RoundedRect:
    def __init__(self, x0, y0, x1, y1, r):
        self.x0, self.y0, self.x1, self.y1, self.r = x0, y0, x1, y1, r

    def inside(self, x, y):
        x0, y0, x1, y1, r = self.x0, self.y0, self.x1, self.y1, self.r
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        dx = max(x0 + r - x, 0.0, x - (x1 - r))
        dy = max(y0 + r - y, 0.0, y - (y1 - r))
        return dx * dx + dy * dy <= r * r

    def svg(self, picture, paint, grow=0.0):
        geometry = [("x", num(self.x0)), ("y", num(self.y0)),
                    ("width", num(self.x1 - self.x0)), ("height", num(self.y1 - self.y0))]
        if self.r:
            geometry.append(("rx", num(self.r)))
        return [element("rect", geometry, paint, grow)]


def Rect(x0, y0, x1, y1):
    return RoundedRect(x0, y0, x1, y1, 0)


def segment_distance(x, y, a, b):
    ax, ay = a
    bx, by = b
    vx, vy = bx - ax, by - ay
    t = ((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy)
    t = max(0.0, min(1.0, t))
    return math.hypot(x - (ax + t * vx), y - (ay + t * vy))


class Stroke:
    """A polyline drawn with a round pen."""

    def __init__(self, points, width):
        self.points = points
        self.width = width
        self.half = width / 2.0
        self.pairs = list(zip(points, points[1:]))

    def inside(self, x, y):
        return any(segment_distance(x, y, a, b) <= self.half for a, b in self.pairs)

    def svg(self, picture, paint, grow=0.0):
        if paint is None:
            raise ValueError("a pen line has no outline to clip with")
        return ['<polyline points="%s" fill="none" stroke="%s" stroke-width="%s"'
                ' stroke-linecap="round" stroke-linejoin="round"/>'
                % (" ".join(pair(p) for p in self.points), paint, num(self.width + 2 * grow))]


class Union:
    def __init__(self, *shapes):
        self.shapes = shapes

    def inside(self, x, y):
        return any(s.inside(x, y) for s in self.shapes)

    def svg(self, picture, paint, grow=0.0):
        return [line for s in self.shapes for line in s.svg(picture, paint, grow)]

    def cut(self, side):
        pieces = [s.cut(side) for s in self.shapes]
        pieces = [p for p in pieces if p]
        return Union(*pieces) if pieces else None


class Minus:
    """A shape with a hole cut out of it."""

    def __init__(self, shape, hole):
        self.shape, self.hole = shape, hole

    def inside(self, x, y):
        return self.shape.inside(x, y) and not self.hole.inside(x, y)

    def svg(self, picture, paint, grow=0.0):
        if paint is None:
            raise ValueError("a clip path cannot have a hole cut out; paint it through a mask")
        # The hole is not shrunk when the shape is grown: an outline would creep into it.
        mask = picture.everywhere().svg(picture, "#fff") + self.hole.svg(picture, "#000")
        ident = picture.define("mask", "mask", 'maskUnits="userSpaceOnUse" x="0" y="0" width="%s" height="%s"'
                               % (num(picture.units), num(picture.units)), mask)
        return ['<g mask="url(#%s)">' % ident] + indent(self.shape.svg(picture, paint, grow)) + ["</g>"]


class Within:
    """A shape where it lies inside a region, such as the wings beyond the wrists."""

    def __init__(self, shape, region):
        self.shape, self.region = shape, region

    def inside(self, x, y):
        return self.shape.inside(x, y) and self.region.inside(x, y)

    def svg(self, picture, paint, grow=0.0):
        if paint is None:
            raise ValueError("clip paths do not nest here; clip with the region instead")
        if not grow and can_cut(self.shape):
            # Outlines are cut along the region's edges rather than clipped: renderers of
            # SVG Tiny, Qt's among them, ignore clip paths.
            pieces = [self.shape.cut(side) for side in self.region.sides]
            return [line for piece in pieces if piece for line in piece.svg(picture, paint)]
        ident = picture.define("clip", "clipPath", 'clipPathUnits="userSpaceOnUse"',
                               self.region.svg(picture, None))
        return ['<g clip-path="url(#%s)">' % ident] + indent(self.shape.svg(picture, paint, grow)) + ["</g>"]


def can_cut(shape):
    if isinstance(shape, Union):
        return all(can_cut(s) for s in shape.shapes)
    return isinstance(shape, Polygon)


# One side of a line: where coordinate axis (0: x, 1: y) is greater than at, or less when
# greater is false. The regions below are made of such sides, for cutting outlines in the SVG.
Side = namedtuple("Side", "axis at greater")


class Beyond:
    """Everything further than distance either side of the line x = centre."""

    def __init__(self, centre, distance):
        self.centre, self.distance = centre, distance
        self.sides = [Side(0, centre - distance, False), Side(0, centre + distance, True)]

    def inside(self, x, y):
        return abs(x - self.centre) > self.distance

    def svg(self, picture, paint, grow=0.0):
        u = picture.units
        return (Rect(0, 0, self.centre - self.distance, u).svg(picture, paint, grow)
                + Rect(self.centre + self.distance, 0, u, u).svg(picture, paint, grow))


class Below:
    """Everything below the line y = top (y grows downwards)."""

    def __init__(self, top):
        self.top = top
        self.sides = [Side(1, top, True)]

    def inside(self, x, y):
        return y > self.top

    def svg(self, picture, paint, grow=0.0):
        return Rect(0, self.top, picture.units, picture.units).svg(picture, paint, grow)


class Grown:
    """A shape moved by each of a few small offsets, all together: the shape widened by about
    the longest offset all round, for a rim or an outline under it."""

    def __init__(self, shape, offsets):
        self.shape, self.offsets = shape, offsets
        self.reach = max(math.hypot(dx, dy) for dx, dy in offsets)

    def inside(self, x, y):
        return any(self.shape.inside(x + dx, y + dy) for dx, dy in self.offsets)

    def svg(self, picture, paint, grow=0.0):
        if paint is None:
            raise ValueError("a clip path takes no strokes, so it cannot be grown")
        return self.shape.svg(picture, paint, grow + self.reach)


class VerticalGradient:
    """A colour running from top at y0 to bottom at y1, held at the ends beyond them."""

    def __init__(self, top, bottom, y0, y1):
        self.top, self.bottom, self.y0, self.y1 = top, bottom, y0, y1

    def __call__(self, x, y):
        top, bottom = self.top, self.bottom
        t = max(0.0, min(1.0, (y - self.y0) / (self.y1 - self.y0)))
        return tuple(top[k] + (bottom[k] - top[k]) * t for k in range(3))


# ---- the pictures: each is drawn on a Canvas (PNG) or an Svg ---------------------------------

def draw_icon(c):
    # Sky tile with a darker rim.
    c.fill(RoundedRect(1, 1, 99, 99, 20), (18, 52, 112))
    c.fill(RoundedRect(4, 4, 96, 96, 17), VerticalGradient((120, 185, 240), (40, 100, 185), 4, 96))

    # A kestrel hovering head-on into the wind: wings raised and bent at the wrist, long
    # pointed hands with dark tips, fanned tail, chestnut back and a blue-grey head.
    left_wing = path((46, 42),
                     ((36, 30), (25, 27)),      # leading edge up to the wrist
                     ((14, 26), (6, 38)),       # the hand out to the pointed tip
                     ((16, 39), (25, 41)),      # trailing edge of the hand
                     ((37, 45), (46, 56)))      # trailing edge back to the body
    right_wing = mirror(left_wing)
    wings = Union(Polygon(left_wing), Polygon(right_wing))
    tail = Polygon(path((45, 58), ((38, 70), (35, 79)), ((50, 84), (65, 79)), ((62, 70), (55, 58))))
    body = Ellipse(50, 48, 7.5, 13)
    head = Ellipse(50, 33, 6.2, 6)
    bird = Union(wings, tail, body, head)
    outline = Grown(bird, ((-1.6, 0), (1.6, 0), (0, -1.6), (0, 1.6),
                           (-1.1, -1.1), (1.1, 1.1), (-1.1, 1.1), (1.1, -1.1)))
    area = (0, 14, 100, 90)
    c.fill(outline, (20, 30, 60), area)
    c.fill(bird, VerticalGradient((205, 122, 60), (145, 72, 35), 20, 86), area)
    c.fill(Within(wings, Beyond(50, 33)), (70, 42, 28), area)     # dark wing tips
    c.fill(Within(tail, Below(76)), (70, 42, 28), area)           # dark tail band
    c.fill(head, (150, 160, 180), (42, 25, 58, 41))
    c.fill(Polygon([(47.5, 35), (52.5, 35), (50, 40)]), (250, 200, 60), (44, 32, 56, 42))

    # Higher and lower: a green arrowhead up on the left, a red one down on the right.
    up = Polygon([(20, 63), (30, 80), (10, 80)])
    down = Polygon([(70, 63), (90, 63), (80, 80)])
    grow = lambda s: Grown(s, ((-1.5, 0), (1.5, 0), (0, -1.5), (0, 1.5)))
    c.fill(grow(up), (12, 60, 20), (5, 58, 35, 84))
    c.fill(up, (80, 210, 90), (5, 58, 35, 84))
    c.fill(grow(down), (90, 10, 10), (65, 58, 95, 84))
    c.fill(down, (240, 80, 70), (65, 58, 95, 84))
    return c


def draw_tick(c):
    pts = [(16, 54), (40, 77), (85, 24)]
    c.fill(Stroke(pts, 21), (20, 90, 30))            # dark rim: visible on light and dark grounds
    c.fill(Stroke(pts, 14), VerticalGradient((90, 215, 95), (30, 150, 50), 20, 80))
    return c


def draw_cross(c):
    arms = Union(Stroke([(22, 22), (78, 78)], 15), Stroke([(78, 22), (22, 78)], 15))
    rim = Union(Stroke([(22, 22), (78, 78)], 22), Stroke([(78, 22), (22, 78)], 22))
    c.fill(rim, (110, 10, 10))
    c.fill(arms, VerticalGradient((245, 90, 80), (195, 25, 25), 15, 85))
    return c


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    if len(sys.argv) > 1:
        png_folder = svg_folder = sys.argv[1]
    else:
        png_folder, svg_folder = os.path.join(root, "assets"), os.path.join(root, "packaging")
    outputs = [(png_folder, "kestrin.png", draw_icon(Canvas(32))),
               (png_folder, "kestrin-64.png", draw_icon(Canvas(64))),
               (png_folder, "tick.png", draw_tick(Canvas(32))),
               (png_folder, "cross.png", draw_cross(Canvas(32))),
               (svg_folder, "kestrin.svg", draw_icon(Svg(256)))]
    for folder, name, picture in outputs:
        os.makedirs(folder, exist_ok=True)
        path_out = os.path.join(folder, name)
        if isinstance(picture, Svg):
            with open(path_out, "w", encoding="utf-8", newline="\n") as f:
                f.write(picture.text())
        else:
            with open(path_out, "wb") as f:
                f.write(picture.png())
        print("wrote %s (%d x %d)" % (os.path.normpath(path_out), picture.size, picture.size))


if __name__ == "__main__":
    main()
