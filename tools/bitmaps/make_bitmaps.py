#!/usr/bin/env python3
"""Draws the program icon, the start-up picture and the toolbar pictures and
writes them as .ico/.bmp files into resources/ (or the folder given as the
first argument). Standard library only; the output is committed, so this runs
only when a picture changes."""

import os
import sys

from canvas import Canvas, ico_bytes
from font import draw_text, text_width

GREY = (192, 192, 192)
DARK_GREY = (128, 128, 128)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
NAVY = (0, 0, 128)
BLUE = (0, 0, 255)
TEAL = (0, 128, 128)
RED = (200, 0, 0)
DARK_RED = (128, 0, 0)
GREEN = (0, 160, 0)
DARK_GREEN = (0, 100, 0)
YELLOW = (255, 255, 0)
BEIGE = (224, 216, 192)
BEIGE_DARK = (160, 150, 120)
BROWN = (128, 64, 0)
WOOD = (176, 112, 48)

BUTTON_W, BUTTON_H = 64, 50
# The program draws a 2-pixel grey shadow over the right and bottom edges, so
# pictures keep clear of x >= 62 and y >= 48.
CAPTION_TOP = 37


def toolbar_button(caption):
    c = Canvas(BUTTON_W, BUTTON_H, GREY)
    c.hline(0, BUTTON_W - 3, 0, WHITE)
    c.vline(0, 0, BUTTON_H - 3, WHITE)
    x = (BUTTON_W - 2 - text_width(caption)) // 2
    draw_text(c, x, CAPTION_TOP, caption, BLACK)
    return c


def document(c, x, y, w, h, lines=True, fold=5):
    """A sheet of paper with a folded top-right corner."""
    c.polygon([(x, y), (x + w - fold, y), (x + w, y + fold), (x + w, y + h), (x, y + h)], BLACK)
    c.polygon([(x + 1, y + 1), (x + w - fold, y + 1), (x + w - 1, y + fold), (x + w - 1, y + h - 1),
               (x + 1, y + h - 1)], WHITE)
    c.polygon([(x + w - fold, y), (x + w - fold, y + fold), (x + w, y + fold)], DARK_GREY)
    if lines:
        for ly in range(y + fold + 3, y + h - 2, 3):
            c.hline(x + 3, x + w - 4, ly, DARK_GREY)


def arrow(c, x0, y0, x1, y1, width, head, colour, outline=BLACK):
    """A block arrow from (x0, y0) to the tip (x1, y1) along one axis."""
    if y0 == y1:
        d = 1 if x1 > x0 else -1
        hx = x1 - d * head
        pts = [(x0, y0 - width / 2), (hx, y0 - width / 2), (hx, y0 - head * 0.9), (x1, y0),
               (hx, y0 + head * 0.9), (hx, y0 + width / 2), (x0, y0 + width / 2)]
    else:
        d = 1 if y1 > y0 else -1
        hy = y1 - d * head
        pts = [(x0 - width / 2, y0), (x0 - width / 2, hy), (x0 - head * 0.9, hy), (x0, y1),
               (x0 + head * 0.9, hy), (x0 + width / 2, hy), (x0 + width / 2, y0)]
    grown = outline_polygon(pts, 1.0)
    c.polygon(grown, outline)
    c.polygon(pts, colour)


def outline_polygon(pts, d):
    """The polygon pushed outwards by about `d` pixels (for a dark rim)."""
    cx = sum(p[0] for p in pts) / len(pts)
    cy = sum(p[1] for p in pts) / len(pts)
    out = []
    n = len(pts)
    for k in range(n):
        px, py = pts[k]
        ax, ay = pts[k - 1]
        bx, by = pts[(k + 1) % n]
        # Average of the two edge normals, pointing away from the centre.
        nx1, ny1 = py - ay, -(px - ax)
        nx2, ny2 = by - py, -(bx - px)
        l1 = (nx1 ** 2 + ny1 ** 2) ** 0.5 or 1
        l2 = (nx2 ** 2 + ny2 ** 2) ** 0.5 or 1
        nx, ny = nx1 / l1 + nx2 / l2, ny1 / l1 + ny2 / l2
        ln = (nx ** 2 + ny ** 2) ** 0.5 or 1
        nx, ny = nx / ln, ny / ln
        if (px + nx - cx) ** 2 + (py + ny - cy) ** 2 < (px - cx) ** 2 + (py - cy) ** 2:
            nx, ny = -nx, -ny
        out.append((px + nx * d * 1.4, py + ny * d * 1.4))
    return out


HANDSET = [(0, 12), (0, 6), (1.2, 3), (4, 1), (8, 0.2), (20, 0.2), (24, 1), (26.8, 3), (28, 6), (28, 12),
           (19.5, 12), (19.5, 8.5), (17, 6.2), (11, 6.2), (8.5, 8.5), (8.5, 12)]


def handset(c, x, y, scale, colour, rim=BLACK, angle=0.0, shine=None):
    """A telephone handset seen from the side, cups down: 28 x 12 units at
    scale 1 with its top-left at (x, y), turned by `angle` degrees about its
    centre."""
    import math
    a = math.radians(angle)
    ca, sa = math.cos(a), math.sin(a)

    def place(pts):
        out = []
        for px, py in pts:
            px, py = px - 14, py - 6
            out.append((x + (14 + px * ca - py * sa) * scale, y + (6 + px * sa + py * ca) * scale))
        return out

    body = place(HANDSET)
    c.polygon(outline_polygon(body, 0.8), rim)
    c.polygon(body, colour)
    if shine:
        c.polyline(place([(3, 4), (6, 2), (22, 2), (25, 4)]), max(1.0, 0.9 * scale), shine)


def draw_exit():
    c = toolbar_button("Exit")
    # Door frame and the dark doorway.
    c.fill_rect(12, 3, 24, 31, BROWN)
    c.fill_rect(14, 5, 20, 29, (40, 24, 8))
    c.frame(12, 3, 24, 31, BLACK)
    c.hline(8, 40, 34, BLACK)
    # The door, swung open towards the viewer.
    c.polygon([(14, 5), (25, 7.5), (25, 35.5), (14, 33)], BLACK)
    c.polygon([(15, 6.5), (24, 8.6), (24, 34.2), (15, 32.2)], WOOD)
    c.polygon([(16.5, 10), (22.5, 11.4), (22.5, 19), (16.5, 17.6)], (150, 90, 30))
    c.polygon([(16.5, 21), (22.5, 22.4), (22.5, 31), (16.5, 29.6)], (150, 90, 30))
    c.ellipse(22.2, 21.5, 1.1, 1.1, YELLOW)
    # The way out.
    arrow(c, 30, 19, 56, 19, 6, 7, (0, 200, 0))
    return c


def draw_hangup():
    c = toolbar_button("Hangup")
    # Desk telephone body.
    c.polygon([(12, 33), (16, 18), (44, 18), (48, 33)], BLACK)
    c.polygon([(13.3, 32), (17, 19.2), (43, 19.2), (46.7, 32)], (60, 60, 60))
    c.round_rect(22, 22, 16, 8, 2, (30, 30, 30))
    for k in range(3):
        for m in range(2):
            c.fill_rect(24 + k * 4, 23 + m * 4, 2, 2, (210, 210, 210))
    # Cradle posts and the handset lying on them.
    c.fill_rect(16, 14, 4, 5, BLACK)
    c.fill_rect(40, 14, 4, 5, BLACK)
    handset(c, 15, 5, 1.07, (60, 60, 60), shine=(120, 120, 120))
    # Red arrow: the handset goes down.
    arrow(c, 54, 4, 54, 22, 4, 5, RED)
    return c


def draw_phonebook():
    c = toolbar_button("Phone")
    # A closed book seen from the front: blue cover, white page edges below
    # and at the right, dark spine at the left.
    c.polygon([(14, 6), (46, 6), (50, 10), (50, 36), (18, 36), (14, 32)], BLACK)
    c.polygon([(18, 10), (49, 10), (49, 35), (18, 35)], WHITE)
    for y in range(12, 35, 2):
        c.hline(19, 48, y, (200, 200, 200))
    c.polygon([(14, 6), (46, 6), (46, 32), (14, 32)], BLACK)
    c.fill_rect(15, 7, 31, 25, (30, 60, 170))
    c.fill_rect(15, 7, 5, 25, (15, 30, 110))
    c.vline(20, 7, 31, (90, 120, 220))
    # A handset and a few entries on the cover.
    handset(c, 22.5, 11, 0.78, WHITE, rim=(10, 20, 70))
    for k, wd in enumerate((18, 13)):
        c.fill_rect(24, 24 + k * 3, wd, 1, (200, 210, 255))
    return c


def draw_receive():
    c = toolbar_button("Receive")
    document(c, 26, 8, 20, 27)
    arrow(c, 18, 4, 18, 28, 6, 6, (0, 190, 0))
    c.fill_rect(8, 33, 16, 2, BLACK)
    return c


def draw_send():
    c = toolbar_button("Send")
    document(c, 14, 8, 20, 27)
    arrow(c, 44, 30, 44, 5, 6, 6, (220, 0, 0))
    c.fill_rect(36, 33, 16, 2, BLACK)
    return c


def draw_help():
    c = toolbar_button("Help")
    # A blue disc with a white question mark: the classic help sign.
    c.ellipse(31, 19, 15, 15, BLACK)
    c.ellipse(31, 19, 14, 14, (20, 70, 200))
    c.ellipse(29.5, 15.5, 9, 8, (70, 130, 240), alpha=0.6)
    c.ring(31, 15, 7, 3.6, WHITE, start=-40, end=200)
    c.line(34.8, 18.6, 31, 22.5, 3.4, WHITE)
    c.line(31, 22.5, 31, 25, 3.4, WHITE)
    c.ellipse(31, 29.5, 2.1, 2.1, WHITE)
    return c


def draw_msdos():
    c = toolbar_button("DOS")
    # A console window: grey frame, blue title bar, black screen with a prompt.
    c.fill_rect(8, 4, 46, 32, BLACK)
    c.fill_rect(9, 5, 44, 30, GREY)
    c.bevel(9, 5, 44, 30, WHITE, DARK_GREY)
    c.fill_rect(11, 7, 40, 6, NAVY)
    c.fill_rect(46, 8, 4, 4, GREY)
    c.bevel(46, 8, 4, 4, WHITE, BLACK)
    c.fill_rect(11, 14, 40, 19, BLACK)
    draw_text(c, 13, 16, "C:\\>", (192, 192, 192))
    c.fill_rect(36, 21, 4, 2, (192, 192, 192))
    c.fill_rect(13, 26, 24, 1, (128, 128, 128))
    c.fill_rect(13, 29, 16, 1, (128, 128, 128))
    return c


def draw_gifjpeg():
    c = toolbar_button("GIF/JPG")
    # A framed landscape.
    c.fill_rect(9, 4, 44, 31, BLACK)
    c.fill_rect(10, 5, 42, 29, (200, 150, 60))
    c.bevel(10, 5, 42, 29, (240, 200, 120), (120, 80, 20), depth=2)
    c.gradient_v(14, 9, 34, 21, (100, 170, 255), (200, 230, 255))
    c.ellipse(40, 14, 3.5, 3.5, (255, 220, 0))

    def clip(points):
        return [(min(max(x, 14), 48), min(max(y, 9), 30)) for x, y in points]

    c.polygon(clip([(14, 24), (22, 15), (30, 23), (34, 19), (48, 27), (48, 30), (14, 30)]), (70, 110, 60))
    c.polygon(clip([(19, 20), (22, 15), (25, 18), (23, 19)]), WHITE)
    c.polygon(clip([(14, 27), (26, 24), (40, 26), (48, 25), (48, 30), (14, 30)]), (0, 150, 0))
    return c


def envelope(c, x, y, w, h):
    c.fill_rect(x, y, w, h, BLACK)
    c.fill_rect(x + 1, y + 1, w - 2, h - 2, (250, 245, 225))
    c.polyline([(x + 1, y + 1), (x + w / 2, y + h * 0.6), (x + w - 1, y + 1)], 1.1, BLACK)
    c.polyline([(x + 1, y + h - 1.5), (x + w * 0.38, y + h * 0.45)], 0.9, DARK_GREY)
    c.polyline([(x + w - 1, y + h - 1.5), (x + w * 0.62, y + h * 0.45)], 0.9, DARK_GREY)
    # Stamp.
    c.fill_rect(x + w - 7, y + 3, 4, 4, RED)


def binary_sheet(c, x, y):
    """A document whose lines are 0s and 1s: a binary file."""
    document(c, x, y, 20, 26, lines=False)
    bits = ["0101", "1100", "0110", "1011"]
    for k, row in enumerate(bits):
        xx = x + 3
        for ch in row:
            if ch == '1':
                c.vline(xx + 1, y + 7 + k * 5, y + 10 + k * 5, NAVY)
            else:
                c.frame(xx, y + 7 + k * 5, 3, 4, NAVY)
            xx += 4


def draw_uudecode():
    c = toolbar_button("uudecode")
    envelope(c, 5, 11, 22, 15)
    arrow(c, 28, 19, 38, 19, 4, 4, (0, 190, 0))
    binary_sheet(c, 39, 6)
    return c


def draw_uuencode():
    c = toolbar_button("uuencode")
    binary_sheet(c, 5, 6)
    arrow(c, 27, 19, 37, 19, 4, 4, (220, 0, 0))
    envelope(c, 38, 11, 22, 15)
    return c


def monitor(c, x, y, s, screen_lines=True):
    """A beige terminal with a dark screen; about 26 x 24 units at scale 1."""
    c.round_rect(x, y, 26 * s, 20 * s, 2 * s, BLACK)
    c.round_rect(x + 0.8 * s, y + 0.8 * s, 24.4 * s, 18.4 * s, 1.6 * s, BEIGE)
    c.round_rect(x + 3 * s, y + 3 * s, 20 * s, 13 * s, 1 * s, (10, 40, 20))
    if screen_lines:
        for k, wd in enumerate((14, 10, 16, 6)):
            c.fill_rect(round(x + 5 * s), round(y + (5 + 2.6 * k) * s), round(wd * s * 0.95), max(1, round(s * 0.9)),
                        (60, 240, 90))
    c.polygon([(x + 8 * s, y + 20 * s), (x + 18 * s, y + 20 * s), (x + 20 * s, y + 23.5 * s), (x + 6 * s, y + 23.5 * s)],
              BLACK)
    c.polygon([(x + 8.6 * s, y + 20.5 * s), (x + 17.4 * s, y + 20.5 * s), (x + 18.8 * s, y + 23 * s),
               (x + 7.2 * s, y + 23 * s)], BEIGE_DARK)


def draw_icon(size):
    c = Canvas(size, size)
    s = size / 32.0
    monitor(c, 1 * s, 1 * s, s, screen_lines=size >= 32)
    if size < 32:
        c.fill_rect(4, 4, 6, 1, (60, 240, 90))
        c.fill_rect(4, 6, 4, 1, (60, 240, 90))
    # A red handset across the bottom right: a terminal that dials.
    handset(c, 5.5 * s, 18.5 * s, 0.82 * s, (210, 20, 20), angle=-18,
            shine=(255, 130, 120) if size >= 32 else None)
    return c


def desk_phone(c, x, y, s):
    """A desk telephone with a rotary dial, about 70 x 50 units at scale 1."""
    body = (170, 20, 20)
    light = (225, 70, 60)
    c.polygon([(x + 4 * s, y + 48 * s), (x + 12 * s, y + 18 * s), (x + 58 * s, y + 18 * s), (x + 66 * s, y + 48 * s)],
              BLACK)
    c.polygon([(x + 6 * s, y + 46.5 * s), (x + 13.5 * s, y + 19.5 * s), (x + 56.5 * s, y + 19.5 * s),
               (x + 64 * s, y + 46.5 * s)], body)
    c.polygon([(x + 13.5 * s, y + 19.5 * s), (x + 56.5 * s, y + 19.5 * s), (x + 55 * s, y + 24 * s),
               (x + 15 * s, y + 24 * s)], light)
    # Dial.
    cx, cy = x + 35 * s, y + 34 * s
    c.ellipse(cx, cy, 11.5 * s, 11.5 * s, BLACK)
    c.ellipse(cx, cy, 10.5 * s, 10.5 * s, (235, 235, 225))
    import math
    for k in range(10):
        a = math.radians(60 + k * 27)
        c.ellipse(cx + math.cos(a) * 7 * s, cy - math.sin(a) * 7 * s, 1.8 * s, 1.8 * s, (60, 60, 60))
    c.ellipse(cx, cy, 3.5 * s, 3.5 * s, body)
    # Cradle and handset.
    c.round_rect(x + 8 * s, y + 12 * s, 8 * s, 8 * s, 2 * s, BLACK)
    c.round_rect(x + 54 * s, y + 12 * s, 8 * s, 8 * s, 2 * s, BLACK)
    handset(c, x + 1 * s, y + 1 * s, 2.5 * s, body, shine=light)


def modem(c, x, y, s):
    """An external modem: a flat grey box with a row of lights."""
    c.polygon([(x, y + 10 * s), (x + 8 * s, y), (x + 92 * s, y), (x + 100 * s, y + 10 * s)], BLACK)
    c.polygon([(x + 1.5 * s, y + 9.5 * s), (x + 8.6 * s, y + 1 * s), (x + 91.4 * s, y + 1 * s),
               (x + 98.5 * s, y + 9.5 * s)], (215, 215, 210))
    c.round_rect(x, y + 9 * s, 100 * s, 16 * s, 2 * s, BLACK)
    c.round_rect(x + 1 * s, y + 10 * s, 98 * s, 14 * s, 1.5 * s, (175, 175, 170))
    labels = ["HS", "AA", "CD", "OH", "RD", "SD", "TR", "MR"]
    on = {"HS", "CD", "OH", "RD", "TR", "MR"}
    for k, name in enumerate(labels):
        lx = x + (12 + k * 10) * s
        colour = (255, 40, 30) if name in on else (90, 20, 20)
        c.ellipse(lx, y + 15 * s, 2.2 * s, 2.2 * s, BLACK)
        c.ellipse(lx, y + 15 * s, 1.6 * s, 1.6 * s, colour)
        draw_text(c, round(lx - text_width(name) / 2), round(y + 18 * s), name, (40, 40, 40))
    brand = "PALVEX 14400"
    draw_text(c, round(x + 50 * s - text_width(brand) / 2), round(y + 2 * s), brand, (60, 60, 60))


def draw_splash():
    w, h = 400, 250
    c = Canvas(w, h)
    c.gradient_v(0, 0, w, h, (0, 0, 110), (0, 110, 130))
    # A grid of faint lines, like a terminal screen.
    for y in range(0, h, 4):
        c.fill_rect(0, y, w, 1, (255, 255, 255), alpha=0.04)
    title = "Palvex32-Dialup"
    scale = 3
    tw = text_width(title, scale) + len(title)
    tx = (w - tw) // 2
    draw_text(c, tx + 3, 21, title, (0, 0, 40), scale, bold=True)
    draw_text(c, tx, 18, title, (255, 230, 80), scale, bold=True)
    sub = "Dial-up terminal for 32-bit Windows"
    draw_text(c, (w - text_width(sub)) // 2, 56, sub, (210, 230, 255))
    c.fill_rect(60, 72, 280, 1, (210, 230, 255), alpha=0.5)
    # Telephone at the left, modem at the right, a coiled line between them.
    desk_phone(c, 50, 112, 1.4)
    modem(c, 230, 160, 1.4)
    import math
    pts = []
    for k in range(0, 161):
        t = k / 160.0
        bx = 120 + t * 120
        by = 165 + math.sin(t * math.pi) * 30
        pts.append((bx + math.cos(t * 60) * 3, by + math.sin(t * 60) * 3))
    c.polyline(pts, 1.6, (20, 20, 20))
    # Sound waves leaving the modem.
    for r in (12, 20, 28):
        c.ring(300, 150, r, r - 2, (255, 230, 80), start=60, end=120)
    version = "Version 1.0"
    draw_text(c, w - text_width(version) - 10, h - 16, version, (210, 230, 255))
    c.frame(0, 0, w, h, BLACK)
    return c


TOOLBAR = {
    "exit.bmp": draw_exit,
    "hangup.bmp": draw_hangup,
    "phonebook.bmp": draw_phonebook,
    "filereceive.bmp": draw_receive,
    "filesend.bmp": draw_send,
    "help.bmp": draw_help,
    "msdos.bmp": draw_msdos,
    "gifjpeg.bmp": draw_gifjpeg,
    "uudecode.bmp": draw_uudecode,
    "uuencode.bmp": draw_uuencode,
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "resources")
    os.makedirs(os.path.join(out, "bitmaps"), exist_ok=True)
    for name, draw in TOOLBAR.items():
        with open(os.path.join(out, "bitmaps", name), "wb") as f:
            f.write(draw().bmp_bytes())
    with open(os.path.join(out, "bitmaps", "splash.bmp"), "wb") as f:
        f.write(draw_splash().bmp_bytes())
    with open(os.path.join(out, "palvex.ico"), "wb") as f:
        f.write(ico_bytes([draw_icon(32), draw_icon(16)]))


if __name__ == "__main__":
    main()
