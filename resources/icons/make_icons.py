#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files beside this script.

Every icon group holds 16, 24, 32 and 48 pixel images in 32-bit BGRA with
straight alpha and a matching AND mask, so menus, dialogs and the
notification area pick the size that fits the screen's DPI. The pictures are
drawn from simple shapes with supersampled anti-aliasing; the move arrows
are pixel art, as the list editor's buttons show them at 16 pixels.

Run it with Python 3 (standard library only) after changing a picture:
    python3 resources/icons/make_icons.py
"""

import math
import os
import struct

SIZES = (16, 24, 32, 48)
SAMPLES = 8  # per pixel and axis


# --- a small rasteriser ------------------------------------------------------

class Canvas:
    """Premultiplied RGBA in floats, composited with the "over" operator."""

    def __init__(self, size):
        self.size = size
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def fill(self, inside, colour, opacity=1.0):
        """Paints the shape (a predicate on points in pixel units) with a
        colour: an (r, g, b) tuple or a function of the pixel centre."""
        offsets = [(i + 0.5) / SAMPLES for i in range(SAMPLES)]
        for y in range(self.size):
            for x in range(self.size):
                hits = sum(1 for dy in offsets for dx in offsets if inside(x + dx, y + dy))
                if hits == 0:
                    continue
                alpha = opacity * hits / (SAMPLES * SAMPLES)
                r, g, b = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                self.blend(x, y, r, g, b, alpha)

    def set_pixel(self, x, y, rgb, alpha=1.0):
        self.blend(x, y, *rgb, alpha)

    def blend(self, x, y, r, g, b, alpha):
        p = self.pixels[y * self.size + x]
        keep = 1.0 - alpha
        p[0] = r / 255.0 * alpha + p[0] * keep
        p[1] = g / 255.0 * alpha + p[1] * keep
        p[2] = b / 255.0 * alpha + p[2] * keep
        p[3] = alpha + p[3] * keep

    def straight_bgra(self, x, y):
        r, g, b, a = self.pixels[y * self.size + x]
        if a <= 0.0:
            return 0, 0, 0, 0
        to_byte = lambda v: max(0, min(255, int(round(v * 255.0))))
        return to_byte(b / a), to_byte(g / a), to_byte(r / a), to_byte(a)


def rounded_rect(x0, y0, x1, y1, radius):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius
    return inside


def circle(cx, cy, radius):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def capsule(x0, y0, x1, y1, width):
    """A stroke of the given width with round ends."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy
    half2 = (width / 2.0) ** 2

    def inside(x, y):
        t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half2
    return inside


def polygon(points):
    def inside(x, y):
        result = False
        j = len(points) - 1
        for i, (xi, yi) in enumerate(points):
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                result = not result
            j = i
        return result
    return inside


def arc(cx, cy, radius, width, gap_degrees):
    """A ring open at the top by the given angle, with round ends."""
    inner2 = (radius - width / 2.0) ** 2
    outer2 = (radius + width / 2.0) ** 2
    half_gap = math.radians(gap_degrees / 2.0)
    ends = [(cx + radius * math.sin(s * half_gap), cy - radius * math.cos(half_gap)) for s in (-1, 1)]
    caps = [circle(ex, ey, width / 2.0) for ex, ey in ends]

    def inside(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if inner2 <= d2 <= outer2:
            angle = math.atan2(x - cx, cy - y)  # 0 at the top, clockwise
            if abs(angle) >= half_gap:
                return True
        return any(cap(x, y) for cap in caps)
    return inside


def union(*shapes):
    return lambda x, y: any(shape(x, y) for shape in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


def vertical_gradient(top, bottom, y0, y1):
    def colour(x, y):
        t = max(0.0, min(1.0, (y - y0) / float(y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return colour


def unit(s):
    """One design pixel of the 16-pixel drawing at size s."""
    return s / 16.0


# --- the pictures -----------------------------------------------------------

def draw_tile(c, frame, top, bottom, sheen):
    """An amber tile carrying four launcher squares, in the given colours."""
    s = c.size
    border = max(1, round(s / 16))
    radius = s * 0.22
    c.fill(rounded_rect(0, 0, s, s, radius), frame)
    c.fill(rounded_rect(border, border, s - border, s - border, radius - border * 0.6),
           vertical_gradient(top, bottom, border, s - border))
    if sheen:
        c.fill(rounded_rect(border, border, s - border, s * 0.5, radius - border * 0.6), (255, 255, 255), sheen)

    square = {16: 4, 24: 6, 32: 8, 48: 12}[s]
    gap = {16: 2, 24: 4, 32: 4, 48: 6}[s]
    start = (s - (2 * square + gap)) // 2
    corner = square * 0.22
    shadow = max(1, round(s / 24))
    for row in range(2):
        for col in range(2):
            x0 = start + col * (square + gap)
            y0 = start + row * (square + gap)
            if s >= 24:
                c.fill(rounded_rect(x0, y0 + shadow, x0 + square, y0 + square + shadow, corner), (120, 62, 0), 0.45)
            highlight = (row, col) == (0, 1)
            fill = (255, 255, 255) if highlight else (255, 246, 222)
            c.fill(rounded_rect(x0, y0, x0 + square, y0 + square, corner), fill)


def draw_app(c):
    """101: the bright amber tile; a soft sheen on the upper half lifts it
    off dark task bars."""
    draw_tile(c, (150, 86, 0), (255, 214, 92), (238, 146, 0), 0.22)


def draw_app_on_light(c):
    """108: the notification icon on a light task bar, where the bright
    tile would fade into the bar: deeper amber, a darker frame, no sheen."""
    draw_tile(c, (96, 52, 0), (200, 112, 0), (160, 80, 0), 0)


def draw_uninstall(c):
    """102: a red disc with a white cross: the registration is removed."""
    s = c.size
    u = unit(s)
    centre = s / 2.0
    c.fill(circle(centre, centre, centre), (140, 24, 30))
    c.fill(circle(centre, centre, centre - max(1.0, u)),
           vertical_gradient((240, 96, 96), (192, 32, 40), 0, s))
    c.fill(circle(centre, centre * 0.8, centre * 0.62), (255, 255, 255), 0.16)
    stroke = 2.0 * u
    lo, hi = 5.0 * u, 11.0 * u
    c.fill(union(capsule(lo, lo, hi, hi, stroke), capsule(hi, lo, lo, hi, stroke)), (255, 255, 255))


def draw_exit(c):
    """103: the power symbol, an open ring with a bar through its gap."""
    s = c.size
    u = unit(s)
    stroke = 2.0 * u
    cx, cy = s / 2.0, 8.75 * u
    colour = vertical_gradient((62, 120, 178), (26, 64, 112), 1.5 * u, 15 * u)
    c.fill(union(arc(cx, cy, 5.5 * u, stroke, 80), capsule(cx, 2.25 * u, cx, 8.25 * u, stroke)), colour)


def draw_browse(c):
    """104: an open manila folder."""
    s = c.size
    u = unit(s)
    outline = (150, 98, 12)
    back = union(rounded_rect(1 * u, 3 * u, 7 * u, 6 * u, 1 * u), rounded_rect(1 * u, 4 * u, 15 * u, 13.5 * u, 1 * u))
    c.fill(back, outline)
    c.fill(union(rounded_rect(1.8 * u, 3.8 * u, 6.2 * u, 6 * u, 0.6 * u),
                 rounded_rect(1.8 * u, 4.8 * u, 14.2 * u, 12.8 * u, 0.6 * u)), (226, 168, 44))
    front = polygon([(3.2 * u, 6.8 * u), (15.6 * u, 6.8 * u), (14.4 * u, 13.5 * u), (1 * u, 13.5 * u)])
    c.fill(front, outline)
    inner_front = polygon([(3.9 * u, 7.6 * u), (14.6 * u, 7.6 * u), (13.7 * u, 12.7 * u), (2.0 * u, 12.7 * u)])
    c.fill(inner_front, vertical_gradient((255, 220, 110), (246, 182, 28), 7 * u, 13 * u))


def draw_separator(c):
    """105: two menu lines with an etched separator between them."""
    s = c.size
    u = unit(s)
    grey = (128, 134, 144)
    c.fill(capsule(3 * u, 3.5 * u, 13 * u, 3.5 * u, 2 * u), grey)
    c.fill(capsule(3 * u, 12.5 * u, 10 * u, 12.5 * u, 2 * u), grey)
    line = max(1, round(u))
    y = round(7 * u)
    c.fill(rounded_rect(0.5 * u, y, s - 0.5 * u, y + line, 0), (44, 92, 160))
    c.fill(rounded_rect(0.5 * u, y + line, s - 0.5 * u, y + 2 * line, 0), (168, 200, 240))


# The move arrows at 16 pixels, row by row: (first column, width) of the
# black runs. A triangle of five rows, one empty row, a bar of two rows.
MOVE_UP_16 = {4: (7, 2), 5: (6, 4), 6: (5, 6), 7: (4, 8), 8: (3, 10), 10: (3, 10), 11: (3, 10)}
# At 24 pixels the same design, drawn anew so every edge stays on the grid.
MOVE_UP_24 = {6: (11, 2), 7: (10, 4), 8: (9, 6), 9: (8, 8), 10: (7, 10), 11: (6, 12), 12: (5, 14),
              14: (5, 14), 15: (5, 14), 16: (5, 14)}


def move_up_runs(s):
    if s == 24:
        return MOVE_UP_24
    scale = s // 16
    runs = {}
    for row, (x, width) in MOVE_UP_16.items():
        for r in range(row * scale, (row + 1) * scale):
            runs[r] = (x * scale, width * scale)
    return runs


def draw_runs(c, runs, flip):
    for row, (x0, width) in runs.items():
        y = c.size - 1 - row if flip else row
        for x in range(x0, x0 + width):
            c.set_pixel(x, y, (0, 0, 0))


def draw_move_up(c):
    """106: black on transparent, a triangle over a bar."""
    draw_runs(c, move_up_runs(c.size), flip=False)


def draw_move_down(c):
    """107: the same picture upside down."""
    draw_runs(c, move_up_runs(c.size), flip=True)


ICONS = (
    ("app.ico", draw_app),
    ("uninstall.ico", draw_uninstall),
    ("exit.ico", draw_exit),
    ("browse.ico", draw_browse),
    ("separator.ico", draw_separator),
    ("move_up.ico", draw_move_up),
    ("move_down.ico", draw_move_down),
    ("app_on_light.ico", draw_app_on_light),
)

# The task bars the notification icon must stand out on (Windows 11's light
# and dark bars), and the icon drawn for each.
TASK_BARS = (("light", (0xF3, 0xF3, 0xF3), draw_app_on_light), ("dark", (0x20, 0x20, 0x20), draw_app))


# --- the .ico format ---------------------------------------------------------

def icon_image(canvas):
    """One image: BITMAPINFOHEADER (height doubled for the mask), the
    colour rows bottom-up, then the AND mask rows bottom-up, each padded
    to four bytes. The mask marks the fully transparent pixels."""
    s = canvas.size
    colour = bytearray()
    mask = bytearray()
    mask_stride = ((s + 31) // 32) * 4
    for y in reversed(range(s)):
        mask_row = bytearray(mask_stride)
        for x in range(s):
            b, g, r, a = canvas.straight_bgra(x, y)
            colour += bytes((b, g, r, a))
            if a == 0:
                mask_row[x // 8] |= 0x80 >> (x % 8)
        mask += mask_row
    header = struct.pack("<IiiHHIIiiII", 40, s, 2 * s, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def ico_file(images):
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(data for _, data in images)


# --- contrast against the task bar -------------------------------------------

def relative_luminance(rgb):
    def linear(v):
        v /= 255.0
        return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = rgb
    return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b)


def contrast(a, b):
    la, lb = sorted((relative_luminance(a), relative_luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def task_bar_contrast(draw, bar, size):
    """The median contrast against the bar of the icon's opaque pixels (its
    body) and of its outermost ring (its frame)."""
    canvas = Canvas(size)
    draw(canvas)
    body, frame = [], []
    for y in range(size):
        for x in range(size):
            b, g, r, a = canvas.straight_bgra(x, y)
            if a == 0:
                continue
            mixed = tuple(v * a / 255.0 + k * (1 - a / 255.0) for v, k in zip((r, g, b), bar))
            outer = any(not (0 <= x + dx < size and 0 <= y + dy < size) or canvas.straight_bgra(x + dx, y + dy)[3] == 0
                        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            (frame if outer else body).append(contrast(mixed, bar))
    median = lambda values: sorted(values)[len(values) // 2]
    return median(body), median(frame)


def report_task_bars():
    for name, bar, _ in TASK_BARS:
        for icon_name, draw in (("app", draw_app), ("app_on_light", draw_app_on_light)):
            figures = ["%d px body %.1f:1 frame %.1f:1" % ((size,) + task_bar_contrast(draw, bar, size))
                       for size in (16, 24, 32)]
            print("%s on the %s task bar: %s" % (icon_name, name, ", ".join(figures)))


def main():
    folder = os.path.dirname(os.path.abspath(__file__))
    for name, draw in ICONS:
        images = []
        for size in SIZES:
            canvas = Canvas(size)
            draw(canvas)
            images.append((size, icon_image(canvas)))
        with open(os.path.join(folder, name), "wb") as out:
            out.write(ico_file(images))
        print("wrote", name)
    report_task_bars()


if __name__ == "__main__":
    main()
