"""An RGBA canvas with anti-aliased shape filling and BMP/ICO writers, enough
to draw toolbar pictures without any imaging library."""

import math
import struct


def rgb(value):
    """0xRRGGBB -> (r, g, b)."""
    return ((value >> 16) & 255, (value >> 8) & 255, value & 255)


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


class Canvas:
    def __init__(self, width, height, background=None):
        self.width = width
        self.height = height
        # Straight (not premultiplied) colour with alpha 0..1.
        if background is None:
            self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]
        else:
            r, g, b = background
            self.px = [[float(r), float(g), float(b), 1.0] for _ in range(width * height)]

    def blend(self, x, y, colour, alpha=1.0):
        if not (0 <= x < self.width and 0 <= y < self.height) or alpha <= 0:
            return
        p = self.px[y * self.width + x]
        a_out = alpha + p[3] * (1 - alpha)
        if a_out <= 0:
            return
        for i in range(3):
            p[i] = (colour[i] * alpha + p[i] * p[3] * (1 - alpha)) / a_out
        p[3] = a_out

    def pixel(self, x, y, colour):
        self.blend(x, y, colour, 1.0)

    def get(self, x, y):
        p = self.px[y * self.width + x]
        return tuple(round(v) for v in p[:3])

    def fill_rect(self, x, y, w, h, colour, alpha=1.0):
        for yy in range(max(0, y), min(self.height, y + h)):
            for xx in range(max(0, x), min(self.width, x + w)):
                self.blend(xx, yy, colour, alpha)

    def frame(self, x, y, w, h, colour):
        self.fill_rect(x, y, w, 1, colour)
        self.fill_rect(x, y + h - 1, w, 1, colour)
        self.fill_rect(x, y, 1, h, colour)
        self.fill_rect(x + w - 1, y, 1, h, colour)

    def hline(self, x0, x1, y, colour):
        self.fill_rect(x0, y, x1 - x0 + 1, 1, colour)

    def vline(self, x, y0, y1, colour):
        self.fill_rect(x, y0, 1, y1 - y0 + 1, colour)

    def bevel(self, x, y, w, h, light, dark, depth=1):
        """A raised edge: light at top and left, dark at bottom and right."""
        for i in range(depth):
            self.hline(x + i, x + w - 2 - i, y + i, light)
            self.vline(x + i, y + i, y + h - 2 - i, light)
            self.hline(x + i, x + w - 1 - i, y + h - 1 - i, dark)
            self.vline(x + w - 1 - i, y + i, y + h - 1 - i, dark)

    def fill(self, inside, colour, box, samples=4, alpha=1.0):
        """Fills every pixel of `box` (x0, y0, x1, y1; pixel units, exclusive
        end) in proportion to how many of its sub-samples `inside(x, y)`
        accepts. Pixel (i, j) covers [i, i+1) x [j, j+1)."""
        x0, y0, x1, y1 = box
        x0 = max(0, int(math.floor(x0)))
        y0 = max(0, int(math.floor(y0)))
        x1 = min(self.width, int(math.ceil(x1)))
        y1 = min(self.height, int(math.ceil(y1)))
        step = 1.0 / samples
        offs = [(k + 0.5) * step for k in range(samples)]
        total = samples * samples
        for j in range(y0, y1):
            for i in range(x0, x1):
                hit = 0
                for dy in offs:
                    for dx in offs:
                        if inside(i + dx, j + dy):
                            hit += 1
                if hit:
                    self.blend(i, j, colour, alpha * hit / total)

    # Shapes. Coordinates are in pixels; (0, 0) is the top-left corner of the
    # top-left pixel, so a pixel centre is at (i + 0.5, j + 0.5).

    def polygon(self, points, colour, alpha=1.0):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]

        def inside(x, y):
            c = False
            n = len(points)
            for k in range(n):
                ax, ay = points[k]
                bx, by = points[(k + 1) % n]
                if (ay > y) != (by > y):
                    if x < ax + (y - ay) * (bx - ax) / (by - ay):
                        c = not c
            return c

        self.fill(inside, colour, (min(xs), min(ys), max(xs) + 1, max(ys) + 1), alpha=alpha)

    def ellipse(self, cx, cy, rx, ry, colour, alpha=1.0):
        def inside(x, y):
            return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0

        self.fill(inside, colour, (cx - rx - 1, cy - ry - 1, cx + rx + 1, cy + ry + 1), alpha=alpha)

    def ring(self, cx, cy, r_out, r_in, colour, start=0.0, end=360.0):
        """An annulus, limited to angles start..end (degrees, counter-clockwise
        from +x with y pointing up)."""
        def inside(x, y):
            d = math.hypot(x - cx, y - cy)
            if d > r_out or d < r_in:
                return False
            a = math.degrees(math.atan2(cy - y, x - cx)) % 360
            s, e = start % 360, end % 360
            return s <= a <= e if s <= e else (a >= s or a <= e)

        self.fill(inside, colour, (cx - r_out - 1, cy - r_out - 1, cx + r_out + 1, cy + r_out + 1))

    def round_rect(self, x, y, w, h, r, colour, alpha=1.0):
        def inside(px, py):
            if px < x or px > x + w or py < y or py > y + h:
                return False
            cx = min(max(px, x + r), x + w - r)
            cy = min(max(py, y + r), y + h - r)
            return (px - cx) ** 2 + (py - cy) ** 2 <= r * r

        self.fill(inside, colour, (x - 1, y - 1, x + w + 1, y + h + 1), alpha=alpha)

    def line(self, x0, y0, x1, y1, width, colour, alpha=1.0):
        """A stroke with round ends."""
        half = width / 2.0
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy or 1e-9

        def inside(x, y):
            t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
            px, py = x0 + t * dx, y0 + t * dy
            return (x - px) ** 2 + (y - py) ** 2 <= half * half

        self.fill(inside, colour, (min(x0, x1) - half - 1, min(y0, y1) - half - 1,
                                   max(x0, x1) + half + 1, max(y0, y1) + half + 1), alpha=alpha)

    def polyline(self, points, width, colour):
        for a, b in zip(points, points[1:]):
            self.line(a[0], a[1], b[0], b[1], width, colour)

    def gradient_v(self, x, y, w, h, top, bottom):
        for j in range(h):
            c = mix(top, bottom, j / max(1, h - 1))
            self.fill_rect(x, y + j, w, 1, c)

    # Output.

    def rows_bgr(self, background=(192, 192, 192)):
        """Rows top to bottom as opaque (b, g, r), transparent parts over
        `background`."""
        out = []
        for y in range(self.height):
            row = []
            for x in range(self.width):
                r, g, b, a = self.px[y * self.width + x]
                r = r * a + background[0] * (1 - a)
                g = g * a + background[1] * (1 - a)
                b = b * a + background[2] * (1 - a)
                row.append((round(b), round(g), round(r)))
            out.append(row)
        return out

    def bmp_bytes(self):
        """A 24-bit uncompressed Windows BMP (bottom-up rows)."""
        stride = (self.width * 3 + 3) & ~3
        image = bytearray()
        for row in reversed(self.rows_bgr()):
            line = bytearray()
            for b, g, r in row:
                line += bytes((b, g, r))
            line += b'\0' * (stride - len(line))
            image += line
        header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(image), 0, 0, 14 + 40)
        info = struct.pack('<IiiHHIIiiII', 40, self.width, self.height, 1, 24, 0, len(image),
                           2835, 2835, 0, 0)
        return header + info + bytes(image)

    def icon_image_bytes(self):
        """One icon image: 32-bit BGRA DIB plus the 1-bit AND mask (set where
        the picture is mostly transparent, for displays without alpha)."""
        w, h = self.width, self.height
        xor = bytearray()
        for y in reversed(range(h)):
            for x in range(w):
                r, g, b, a = self.px[y * w + x]
                xor += bytes((round(b), round(g), round(r), round(a * 255)))
        mask_stride = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in reversed(range(h)):
            line = bytearray(mask_stride)
            for x in range(w):
                if self.px[y * w + x][3] < 0.5:
                    line[x // 8] |= 0x80 >> (x % 8)
            mask += line
        info = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        return info + bytes(xor) + bytes(mask)


def ico_bytes(canvases):
    images = [c.icon_image_bytes() for c in canvases]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, data in zip(canvases, images):
        out += struct.pack('<BBBBHHII', c.width % 256, c.height % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    return out
