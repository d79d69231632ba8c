#!/usr/bin/env python3
"""Draw Kestrin's pictures into assets/.

    kestrin.png     the program icon, 32 x 32: a hovering kestrel (chestnut, blue-grey head)
                    over a sky-blue rounded square, with a green "higher" and a red "lower"
                    arrowhead below its wings
    kestrin-64.png  the same icon at 64 x 64, for sharper window icons
    tick.png        32 x 32, a green tick on a transparent background (a correct guess)
    cross.png       32 x 32, a red cross on a transparent background (a wrong guess)

Only the Python standard library is used: shapes are filled by supersampling each pixel
(8 x 8 samples) for smooth edges, and a small PNG writer (zlib + struct) saves RGBA images.
The output is deterministic. Usage: python3 tools/make_icons.py [output folder]
"""

import math
import os
import struct
import sys
import zlib

SUBSAMPLES = 8


class Canvas:
    """An RGBA picture kept premultiplied, in floats 0..1, drawn in a 100 x 100 design space."""

    def __init__(self, size, units=100.0):
        self.size = size
        self.scale = size / units
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def fill(self, inside, colour, bbox=None):
        """Paint colour where inside(x, y) holds; colour is (r, g, b[, a]) 0..255, or a
        function of (x, y) giving one. bbox (x0, y0, x1, y1) in design units limits the work."""
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


# ---- shapes: each returns a test inside(x, y) ------------------------------------------------

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


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        dx = max(x0 + r - x, 0.0, x - (x1 - r))
        dy = max(y0 + r - y, 0.0, y - (y1 - r))
        return dx * dx + dy * dy <= r * r
    return inside


def segment_distance(x, y, a, b):
    ax, ay = a
    bx, by = b
    vx, vy = bx - ax, by - ay
    t = ((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy)
    t = max(0.0, min(1.0, t))
    return math.hypot(x - (ax + t * vx), y - (ay + t * vy))


def stroke(points, width):
    """A polyline drawn with a round pen."""
    half = width / 2.0
    pairs = list(zip(points, points[1:]))
    return lambda x, y: any(segment_distance(x, y, a, b) <= half for a, b in pairs)


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


def bezier(p0, p1, p2, steps=12):
    """Points of a quadratic curve from p0 to p2 pulled towards p1 (p0 itself left out)."""
    pts = []
    for i in range(1, steps + 1):
        t = i / steps
        u = 1.0 - t
        pts.append((u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0],
                    u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1]))
    return pts


def path(start, *curves):
    """A closed outline: start, then (control, end) pairs for curves or (end,) for lines."""
    pts = [start]
    for c in curves:
        if len(c) == 1:
            pts.append(c[0])
        else:
            pts.extend(bezier(pts[-1], c[0], c[1]))
    return pts


def mirror(points, axis=50.0):
    return [(2 * axis - x, y) for x, y in reversed(points)]


def vertical_gradient(top, bottom, y0, y1):
    def colour(x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(top[k] + (bottom[k] - top[k]) * t for k in range(3))
    return colour


# ---- the pictures ----------------------------------------------------------------------------

def draw_icon(size):
    c = Canvas(size)
    # Sky tile with a darker rim.
    c.fill(rounded_rect(1, 1, 99, 99, 20), (18, 52, 112))
    c.fill(rounded_rect(4, 4, 96, 96, 17), vertical_gradient((120, 185, 240), (40, 100, 185), 4, 96))

    # A kestrel hovering head-on into the wind: wings raised and bent at the wrist, long
    # pointed hands with dark tips, fanned tail, chestnut back and a blue-grey head.
    left_wing = path((46, 42),
                     ((36, 30), (25, 27)),      # leading edge up to the wrist
                     ((14, 26), (6, 38)),       # the hand out to the pointed tip
                     ((16, 39), (25, 41)),      # trailing edge of the hand
                     ((37, 45), (46, 56)))      # trailing edge back to the body
    right_wing = mirror(left_wing)
    wings = union(polygon(left_wing), polygon(right_wing))
    tail = polygon(path((45, 58), ((38, 70), (35, 79)), ((50, 84), (65, 79)), ((62, 70), (55, 58))))
    body = ellipse(50, 48, 7.5, 13)
    head = ellipse(50, 33, 6.2, 6)
    bird = union(wings, tail, body, head)
    outline = lambda x, y: any(bird(x + dx, y + dy) for dx, dy in
                               ((-1.6, 0), (1.6, 0), (0, -1.6), (0, 1.6),
                                (-1.1, -1.1), (1.1, 1.1), (-1.1, 1.1), (1.1, -1.1)))
    area = (0, 14, 100, 90)
    c.fill(outline, (20, 30, 60), area)
    c.fill(bird, vertical_gradient((205, 122, 60), (145, 72, 35), 20, 86), area)
    c.fill(lambda x, y: wings(x, y) and abs(x - 50) > 33, (70, 42, 28), area)    # dark wing tips
    c.fill(lambda x, y: tail(x, y) and y > 76, (70, 42, 28), area)               # dark tail band
    c.fill(head, (150, 160, 180), (42, 25, 58, 41))
    c.fill(polygon([(47.5, 35), (52.5, 35), (50, 40)]), (250, 200, 60), (44, 32, 56, 42))

    # Higher and lower: a green arrowhead up on the left, a red one down on the right.
    up = polygon([(20, 63), (30, 80), (10, 80)])
    down = polygon([(70, 63), (90, 63), (80, 80)])
    grow = lambda s: (lambda x, y: any(s(x + dx, y + dy) for dx, dy in
                                       ((-1.5, 0), (1.5, 0), (0, -1.5), (0, 1.5))))
    c.fill(grow(up), (12, 60, 20), (5, 58, 35, 84))
    c.fill(up, (80, 210, 90), (5, 58, 35, 84))
    c.fill(grow(down), (90, 10, 10), (65, 58, 95, 84))
    c.fill(down, (240, 80, 70), (65, 58, 95, 84))
    return c


def draw_tick(size=32):
    c = Canvas(size)
    pts = [(16, 54), (40, 77), (85, 24)]
    c.fill(stroke(pts, 21), (20, 90, 30))            # dark rim: visible on light and dark grounds
    c.fill(stroke(pts, 14), vertical_gradient((90, 215, 95), (30, 150, 50), 20, 80))
    return c


def draw_cross(size=32):
    c = Canvas(size)
    arms = union(stroke([(22, 22), (78, 78)], 15), stroke([(78, 22), (22, 78)], 15))
    rim = union(stroke([(22, 22), (78, 78)], 22), stroke([(78, 22), (22, 78)], 22))
    c.fill(rim, (110, 10, 10))
    c.fill(arms, vertical_gradient((245, 90, 80), (195, 25, 25), 15, 85))
    return c


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "assets")
    os.makedirs(folder, exist_ok=True)
    pictures = [("kestrin.png", draw_icon(32)), ("kestrin-64.png", draw_icon(64)),
                ("tick.png", draw_tick()), ("cross.png", draw_cross())]
    for name, canvas in pictures:
        path_out = os.path.join(folder, name)
        with open(path_out, "wb") as f:
            f.write(canvas.png())
        print("wrote %s (%d x %d)" % (os.path.normpath(path_out), canvas.size, canvas.size))


if __name__ == "__main__":
    main()
