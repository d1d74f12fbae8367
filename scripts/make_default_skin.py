#!/usr/bin/env python3
"""Draws the images and the window outline of the default skin.

Writes 24-bit BMP files and the main window's region data into
assets/skin/main and assets/skin/settings, using the standard library only.
The parameter lists and index.txt beside them are edited by hand.
Run from anywhere: python3 scripts/make_default_skin.py
"""

import math
import struct
from pathlib import Path

SKIN = Path(__file__).resolve().parent.parent / "assets" / "skin"

MAIN_W, MAIN_H = 640, 400
SETTINGS_W, SETTINGS_H = 520, 360
CORNER = 12
TITLE_H = 36
KEY = (255, 0, 255)  # the settings window's transparent colour


class Image:
    def __init__(self, width, height, fill=(0, 0, 0)):
        self.width, self.height = width, height
        self.rows = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = tuple(max(0, min(255, int(round(c)))) for c in colour)

    def get(self, x, y):
        return self.rows[y][x]

    def bmp(self):
        row_bytes = (self.width * 3 + 3) // 4 * 4
        pixels = bytearray()
        for y in range(self.height - 1, -1, -1):  # bottom-up rows
            line = bytearray()
            for r, g, b in self.rows[y]:
                line += bytes((b, g, r))
            line += b"\0" * (row_bytes - len(line))
            pixels += line
        header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0,
                           len(pixels), 2835, 2835, 0, 0)
        return header + info + bytes(pixels)


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def inside_rounded(x, y, w, h, r):
    """Whether pixel (x, y) lies inside a w x h rectangle with corners of radius r."""
    cx = r if x < r else (w - 1 - r if x > w - 1 - r else x)
    cy = r if y < r else (h - 1 - r if y > h - 1 - r else y)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r + r * 0.5


def row_span(y, w, h, r):
    """First and one-past-last column inside the rounded outline on row y."""
    left = 0
    while left < w and not inside_rounded(left, y, w, h, r):
        left += 1
    return left, w - left


def window_background(w, h, top, bottom, title_top, title_bottom, outside=None):
    img = Image(w, h)
    for y in range(h):
        if y < TITLE_H:
            colour = mix(title_top, title_bottom, y / (TITLE_H - 1))
        else:
            colour = mix(top, bottom, (y - TITLE_H) / (h - TITLE_H - 1))
        for x in range(w):
            # a faint diagonal sheen keeps the large areas from looking flat
            sheen = 6 * math.sin((x + y) / 90.0)
            img.put(x, y, tuple(c + sheen for c in colour))
    for x in range(w):  # highlight under the title bar
        img.put(x, TITLE_H, mix(title_bottom, (255, 255, 255), 0.25))
    for y in range(h):  # a one-pixel frame along the outline
        left, right = row_span(y, w, h, CORNER)
        for x in range(w):
            if x < left or x >= right:
                if outside is not None:
                    img.put(x, y, outside)
            elif x in (left, right - 1) or y in (0, h - 1):
                img.put(x, y, (90, 110, 140))
    return img


def region_data(w, h, r):
    """RGNDATA: header then one rectangle per corner row and one for the middle."""
    rects = []
    for y in range(r):
        left, right = row_span(y, w, h, r)
        rects.append((left, y, right, y + 1))
    rects.append((0, r, w, h - r))
    for y in range(h - r, h):
        left, right = row_span(y, w, h, r)
        rects.append((left, y, right, y + 1))
    header = struct.pack("<IIII4i", 32, 1, len(rects), 16 * len(rects), 0, 0, w, h)
    return header + b"".join(struct.pack("<4i", *rect) for rect in rects)


def button(w, h, face, glyph):
    """The five state images of a button: common, over, down, up, disabled."""
    states = {
        "common": (face, 0),
        "over": (mix(face, (255, 255, 255), 0.25), 0),
        "down": (mix(face, (0, 0, 0), 0.25), 1),
        "up": (face, 0),
        "disabled": ((96, 100, 108), 0),
    }
    images = {}
    for state, (colour, shift) in states.items():
        img = Image(w, h, (24, 30, 44))
        radius = min(6, h // 4)
        for y in range(h):
            for x in range(w):
                if inside_rounded(x, y, w, h, radius):
                    shade = mix(mix(colour, (255, 255, 255), 0.18), colour, y / max(1, h - 1))
                    edge = not inside_rounded(x, y, w, h, radius - 1) or x in (0, w - 1) \
                        or y in (0, h - 1)
                    img.put(x, y, mix(shade, (20, 24, 32), 0.5) if edge else shade)
        ink = (235, 238, 245) if state != "disabled" else (150, 154, 160)
        glyph(img, ink, shift)
        images[state] = img
    return images


def glyph_close(img, ink, s):
    for i in range(-5, 6):
        for t in (0, 1):
            c = img.width // 2 + s
            m = img.height // 2 + s
            img.put(c + i + t, m + i, ink)
            img.put(c + i + t, m - i, ink)


def glyph_minimize(img, ink, s):
    for x in range(img.width // 2 - 6, img.width // 2 + 6):
        for y in (img.height // 2 + 4, img.height // 2 + 5):
            img.put(x + s, y + s, ink)


def glyph_config(img, ink, s):
    cx, cy = img.width / 2 - 0.5 + s, img.height / 2 - 0.5 + s
    for y in range(img.height):
        for x in range(img.width):
            d = math.hypot(x - cx, y - cy)
            angle = math.atan2(y - cy, x - cx)
            tooth = 7.5 if math.cos(6 * angle) > 0.3 else 5.5
            if 2.5 < d <= tooth:
                img.put(x, y, ink)


def glyph_play(img, ink, s):
    cx, cy, size = img.width // 2 + s, img.height // 2 + s, img.height // 3
    for y in range(-size, size + 1):
        for x in range(0, int((size - abs(y)) * 1.6) + 1):
            img.put(cx - size // 2 + x, cy + y, ink)


def glyph_check(img, ink, s):
    cx, cy = img.width // 2 + s, img.height // 2 + s
    points = [(cx - 7 + i, cy + i - 1) for i in range(5)]
    points += [(cx - 3 + i, cy + 3 - i) for i in range(11)]
    for x, y in points:
        for t in (0, 1):
            img.put(x, y + t, ink)


def glyph_cross(img, ink, s):
    cx, cy = img.width // 2 + s, img.height // 2 + s
    for i in range(-6, 7):
        for t in (0, 1):
            img.put(cx + i + t, cy + i, ink)
            img.put(cx + i + t, cy - i, ink)


def gauge_textures(w, h):
    fore, back = Image(w, h), Image(w, h)
    for y in range(h):
        light = 1 - abs(y - h / 3) / h
        for x in range(w):
            stripe = 10 if ((x + y) // 6) % 2 == 0 else 0
            base = mix((40, 140, 70), (150, 230, 120), light * 0.8)
            fore.put(x, y, tuple(c + stripe for c in base))
            back.put(x, y, mix((28, 34, 46), (46, 54, 70), light))
    for x in range(w):
        for img in (fore, back):
            img.put(x, 0, (20, 24, 32))
            img.put(x, h - 1, (20, 24, 32))
    for y in range(h):
        for img in (fore, back):
            img.put(0, y, (20, 24, 32))
            img.put(w - 1, y, (20, 24, 32))
    return fore, back


def main():
    main_dir, settings_dir = SKIN / "main", SKIN / "settings"
    main_dir.mkdir(parents=True, exist_ok=True)
    settings_dir.mkdir(parents=True, exist_ok=True)

    background = window_background(MAIN_W, MAIN_H, (34, 44, 66), (16, 20, 32),
                                   (22, 28, 42), (40, 52, 78), outside=(0, 0, 0))
    # a slightly darker well behind the news page
    for y in range(48, 268):
        for x in range(16, 624):
            background.put(x, y, mix(background.get(x, y), (8, 10, 16), 0.35))
    (main_dir / "BackGroundImage.image.bmp").write_bytes(background.bmp())
    (main_dir / "BackGroundImage.region.rgn").write_bytes(region_data(MAIN_W, MAIN_H, CORNER))

    buttons = {
        "Button_StartGame": (160, 44, (46, 150, 82), glyph_play),
        "Button_Cancel": (76, 28, (150, 60, 60), glyph_cross),
        "Button_CheckAllFiles": (76, 28, (60, 96, 150), glyph_check),
        "Button_Close": (24, 24, (150, 60, 60), glyph_close),
        "Button_Minimize": (24, 24, (60, 72, 96), glyph_minimize),
        "Button_Config": (24, 24, (60, 72, 96), glyph_config),
    }
    for name, (w, h, face, glyph) in buttons.items():
        for state, img in button(w, h, face, glyph).items():
            (main_dir / f"{name}.{state}.bmp").write_bytes(img.bmp())

    fore, back = gauge_textures(200, 16)
    for name in ("Gauge_OneFile", "Gauge_Total"):
        (main_dir / f"{name}.FTex.bmp").write_bytes(fore.bmp())
        (main_dir / f"{name}.BTex.bmp").write_bytes(back.bmp())

    settings = window_background(SETTINGS_W, SETTINGS_H, (36, 46, 68), (20, 26, 40),
                                 (22, 28, 42), (40, 52, 78), outside=KEY)
    assert settings.get(0, 0) == KEY
    assert sum(row.count(KEY) for row in settings.rows) < SETTINGS_W * SETTINGS_H // 50
    (settings_dir / "BackGroundImage.image.bmp").write_bytes(settings.bmp())


if __name__ == "__main__":
    main()
