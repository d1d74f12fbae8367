#!/usr/bin/python3
"""Draws the default skin: every image, the main window's outline and the
parameter lists that place the controls.

Writes 24-bit BMP files, the main window's region data (RGNDATA) and the
parameter lists (*.txt) into assets/skin/main and assets/skin/settings.
index.txt beside them is kept by hand. Needs Pillow (Debian: python3-pil) and
the DejaVu fonts (fonts-dejavu-core). The output is the same on every run.
Run from anywhere with the system Python: /usr/bin/python3 scripts/make_default_skin.py
Check the result: launcher-publish preview --skin assets/skin --output main.png
"""

import math
import random
import struct
from pathlib import Path

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

SKIN = Path(__file__).resolve().parent.parent / "assets" / "skin"
FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"

MAIN_W, MAIN_H = 800, 650
SETTINGS_W, SETTINGS_H = 520, 360
CORNER = 14
TITLE_H = 46
KEY = (255, 0, 255)  # the settings window's transparent colour
SS = 4  # supersampling factor for smooth edges

# Palette: dark slate with a warm gold accent (the progress bars' fixed
# border colour is a dark gold) and teal for the overall progress.
INK = (232, 236, 242)
GOLD = (236, 178, 74)
GOLD_LIGHT = (255, 222, 140)
TEAL = (64, 196, 186)
EDGE = (54, 62, 78)

# Control places on the main window: left, top, width, height.
WEB_PANEL = (20, 58, 760, 392)
TITLE = (52, 15, 360, 18)
STATUS = (24, 472, 540, 16)
BAR_ONE = (24, 494, 556, 8)
STATUS_TOTAL = (24, 510, 540, 16)
BAR_TOTAL = (24, 532, 556, 10)
GAUGE_ONE = (24, 560, 268, 16)
GAUGE_TOTAL = (312, 560, 268, 16)
LANG_TEXT = (24, 616, 420, 16)
START = (600, 474, 178, 60)
CANCEL = (600, 548, 86, 32)
CHECK_ALL = (692, 548, 86, 32)
CONFIG = (680, 10, 30, 26)
MINIMIZE = (714, 10, 30, 26)
CLOSE = (748, 10, 30, 26)
FOOTER_TOP = 598


def colorref(rgb):
    """A skin colour: $00BBGGRR."""
    r, g, b = rgb
    return "$00%02X%02X%02X" % (b, g, r)


def mix(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def vertical_gradient(w, h, stops):
    """An RGB image whose rows run through the (position, colour) stops."""
    img = Image.new("RGB", (w, h))
    draw = ImageDraw.Draw(img)
    for y in range(h):
        t = y / max(1, h - 1)
        for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
            if p0 <= t <= p1:
                draw.line([(0, y), (w, y)], fill=mix(c0, c1, (t - p0) / max(1e-9, p1 - p0)))
                break
    return img


def rounded_mask(w, h, radius, inset=0):
    """An antialiased mask of a rounded rectangle, drawn large and reduced."""
    big = Image.new("L", (w * SS, h * SS), 0)
    ImageDraw.Draw(big).rounded_rectangle(
        [inset * SS, inset * SS, (w - inset) * SS - 1, (h - inset) * SS - 1],
        radius=radius * SS, fill=255)
    return big.resize((w, h), Image.LANCZOS)


def ring_mask(w, h, radius, width=1, inset=0):
    outer = rounded_mask(w, h, radius, inset)
    inner = rounded_mask(w, h, max(0, radius - width), inset + width)
    return ImageChops.subtract(outer, inner)


def paint(base, colour, mask, opacity=1.0):
    """Lays a colour over the base through a mask."""
    layer = Image.new("RGB", base.size, colour)
    if opacity < 1.0:
        mask = mask.point(lambda v: int(v * opacity))
    base.paste(layer, (0, 0), mask)


def crop(img, box):
    x, y, w, h = box
    return img.crop((x, y, x + w, y + h))


def noise(w, h, seed, strength):
    """A faint, fixed grain that keeps large dark areas from banding."""
    rng = random.Random(seed)
    img = Image.new("L", (w, h))
    img.putdata([128 + rng.randint(-strength, strength) for _ in range(w * h)])
    return img


def add_grain(img, seed, strength=3):
    grain = noise(img.width, img.height, seed, strength).convert("RGB")
    return ImageChops.add(img, grain, scale=1.0, offset=-128)


# ---------------------------------------------------------------- outline


def inside_rounded(x, y, w, h, r):
    """Whether the centre of pixel (x, y) lies inside the rounded outline."""
    cx = min(max(x + 0.5, r), w - r)
    cy = min(max(y + 0.5, r), h - r)
    return (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r


def row_span(y, w, h, r):
    """First and one-past-last column inside the outline on row y."""
    left = 0
    while left < w and not inside_rounded(left, y, w, h, r):
        left += 1
    return left, w - left


def region_data(w, h, r):
    """RGNDATA: the header, then one rectangle per corner row and one for
    the straight middle."""
    rects = [(*row_span(y, w, h, r)[:1], y, row_span(y, w, h, r)[1], y + 1) for y in range(r)]
    rects.append((0, r, w, h - r))
    rects += [(row_span(y, w, h, r)[0], y, row_span(y, w, h, r)[1], y + 1)
              for y in range(h - r, h)]
    header = struct.pack("<IIII4i", 32, 1, len(rects), 16 * len(rects), 0, 0, w, h)
    return header + b"".join(struct.pack("<4i", *rect) for rect in rects)


def outline_mask(w, h, r):
    """The region's pixels as a mask, to draw the frame right on its edge."""
    mask = Image.new("L", (w, h), 0)
    draw = ImageDraw.Draw(mask)
    for y in range(h):
        left, right = row_span(y, w, h, r)
        draw.line([(left, y), (right - 1, y)], fill=255)
    return mask


def frame_on_outline(img, r, colour, inner_colour):
    """A one-pixel frame along the region's edge and a softer one inside it."""
    w, h = img.size
    mask = outline_mask(w, h, r)
    shrunk = mask.filter(ImageFilter.MinFilter(3))
    paint(img, colour, ImageChops.subtract(mask, shrunk))
    shrunk2 = shrunk.filter(ImageFilter.MinFilter(3))
    paint(img, inner_colour, ImageChops.subtract(shrunk, shrunk2), 0.6)


# ---------------------------------------------------------------- artwork


def night_landscape(w, h, seed=7):
    """The picture behind the news page: a night sky over layered ridges."""
    W, H = w * 2, h * 2
    sky = vertical_gradient(W, H, [(0.0, (10, 14, 30)), (0.55, (28, 34, 66)),
                                   (0.8, (70, 58, 84)), (1.0, (120, 84, 74))])
    rng = random.Random(seed)
    draw = ImageDraw.Draw(sky)
    for _ in range(260):  # stars, brighter near the top
        x, y = rng.randrange(W), int(rng.random() ** 1.8 * H * 0.7)
        b = rng.randint(110, 255)
        size = 1 if rng.random() < 0.85 else 2
        draw.ellipse([x, y, x + size, y + size], fill=(b, b, min(255, b + 12)))
    # a large, soft moon with a halo
    moon_x, moon_y, moon_r = int(W * 0.74), int(H * 0.24), int(H * 0.075)
    halo = Image.new("L", (W, H), 0)
    ImageDraw.Draw(halo).ellipse([moon_x - moon_r * 4, moon_y - moon_r * 4,
                                  moon_x + moon_r * 4, moon_y + moon_r * 4], fill=70)
    halo = halo.filter(ImageFilter.GaussianBlur(moon_r * 1.6))
    paint(sky, (200, 190, 230), halo)
    moon = Image.new("L", (W, H), 0)
    ImageDraw.Draw(moon).ellipse([moon_x - moon_r, moon_y - moon_r,
                                  moon_x + moon_r, moon_y + moon_r], fill=255)
    paint(sky, (246, 236, 214), moon.filter(ImageFilter.GaussianBlur(1.5)))

    # ridges from far (light, hazy) to near (dark)
    layers = [(0.56, 0.10, (58, 52, 86), 0.9), (0.66, 0.12, (36, 36, 64), 1.6),
              (0.78, 0.10, (20, 22, 40), 2.6), (0.90, 0.07, (11, 13, 24), 4.0)]
    for index, (base, amplitude, colour, roughness) in enumerate(layers):
        phase = [rng.random() * math.tau for _ in range(4)]
        points = [(0, H)]
        for x in range(0, W + 8, 8):
            t = x / W
            y = base
            for k, p in enumerate(phase):
                y -= amplitude / (k + 1.4) * math.sin(t * math.pi * (k + 1) * roughness + p)
            points.append((x, int(y * H)))
        points.append((W, H))
        ridge = Image.new("L", (W, H), 0)
        ImageDraw.Draw(ridge).polygon(points, fill=255)
        if index == 0:
            ridge = ridge.filter(ImageFilter.GaussianBlur(2))
        paint(sky, colour, ridge)
        # mist gathering at the foot of each ridge
        mist = vertical_gradient(W, H, [(0.0, (0, 0, 0)), (max(0.0, base - 0.02), (0, 0, 0)),
                                        (min(1.0, base + 0.1), (60, 60, 60)), (1.0, (0, 0, 0))])
        paint(sky, (150, 140, 170), mist.convert("L"), 0.25)

    art = sky.resize((w, h), Image.LANCZOS)
    # vignette: darker towards the frame
    vignette = Image.new("L", (w, h), 0)
    ImageDraw.Draw(vignette).rectangle([0, 0, w, h], fill=190)
    ImageDraw.Draw(vignette).rounded_rectangle([40, 30, w - 40, h - 30], radius=60, fill=0)
    paint(art, (4, 6, 12), vignette.filter(ImageFilter.GaussianBlur(40)))
    return add_grain(art, seed + 1, 2)


def logo_mark(img, x, y, size):
    """A small hexagonal emblem in gold."""
    big = Image.new("L", (size * SS, size * SS), 0)
    d = ImageDraw.Draw(big)
    c, r = size * SS / 2, size * SS / 2 - 1
    hexagon = [(c + r * math.cos(math.pi / 3 * k + math.pi / 6),
                c + r * math.sin(math.pi / 3 * k + math.pi / 6)) for k in range(6)]
    d.polygon(hexagon, fill=255)
    inner = [(c + (r - 2.2 * SS) * math.cos(math.pi / 3 * k + math.pi / 6),
              c + (r - 2.2 * SS) * math.sin(math.pi / 3 * k + math.pi / 6)) for k in range(6)]
    d.polygon(inner, fill=0)
    s = r * 0.5
    d.polygon([(c, c - s), (c + s * 0.8, c), (c, c + s), (c - s * 0.8, c)], fill=255)
    mask = big.resize((size, size), Image.LANCZOS)
    region = img.crop((x, y, x + size, y + size))
    glow = mask.filter(ImageFilter.GaussianBlur(3))
    paint(region, GOLD, glow, 0.5)
    paint(region, GOLD_LIGHT, mask)
    img.paste(region, (x, y))


# ---------------------------------------------------------------- windows


def main_background():
    img = vertical_gradient(MAIN_W, MAIN_H, [(0.0, (24, 29, 40)), (0.08, (18, 22, 31)),
                                             (1.0, (11, 13, 19))])
    # title strip
    strip = vertical_gradient(MAIN_W, TITLE_H, [(0.0, (34, 40, 54)), (1.0, (22, 26, 36))])
    img.paste(strip, (0, 0))
    draw = ImageDraw.Draw(img)
    draw.line([(0, TITLE_H), (MAIN_W, TITLE_H)], fill=(8, 10, 14))
    draw.line([(0, TITLE_H + 1), (MAIN_W, TITLE_H + 1)], fill=(40, 46, 60))
    # a gold hairline that fades out to both sides under the title
    for x in range(MAIN_W):
        t = 1 - abs(x - MAIN_W * 0.3) / (MAIN_W * 0.7)
        draw.point((x, TITLE_H), fill=mix((8, 10, 14), GOLD, max(0.0, t) ** 2 * 0.7))
    logo_mark(img, 18, 11, 24)

    # the news area: a sunken frame around the artwork
    x, y, w, h = WEB_PANEL
    shadow = Image.new("L", img.size, 0)
    ImageDraw.Draw(shadow).rounded_rectangle([x - 2, y - 1, x + w + 1, y + h + 4], 8, fill=200)
    paint(img, (2, 3, 6), shadow.filter(ImageFilter.GaussianBlur(5)))
    art = night_landscape(w, h)
    mask = rounded_mask(w, h, 6)
    img.paste(art, (x, y), mask)
    region = img.crop((x - 1, y - 1, x + w + 1, y + h + 1))
    paint(region, (70, 80, 100), ring_mask(w + 2, h + 2, 7))
    img.paste(region, (x - 1, y - 1))

    # status area: a faint panel behind the progress controls
    panel_top = WEB_PANEL[1] + WEB_PANEL[3] + 10
    panel = Image.new("L", img.size, 0)
    ImageDraw.Draw(panel).rounded_rectangle([14, panel_top, 588, FOOTER_TOP - 8], 8, fill=255)
    paint(img, (26, 31, 42), panel, 0.55)
    rim = Image.new("L", img.size, 0)
    ImageDraw.Draw(rim).rounded_rectangle([14, panel_top, 588, FOOTER_TOP - 8], 8, outline=255)
    paint(img, (44, 52, 68), rim, 0.8)

    # footer strip
    footer = vertical_gradient(MAIN_W, MAIN_H - FOOTER_TOP,
                               [(0.0, (16, 19, 27)), (1.0, (10, 12, 17))])
    img.paste(footer, (0, FOOTER_TOP))
    draw.line([(0, FOOTER_TOP), (MAIN_W, FOOTER_TOP)], fill=(34, 40, 54))
    for k in range(3):  # small gold dots at the right of the footer
        cx = MAIN_W - 40 + k * 10
        draw.ellipse([cx - 2, 622, cx + 2, 626], fill=mix(GOLD, (16, 19, 27), k * 0.3))

    img = add_grain(img, 11, 2)
    # the outline: the news art stays untouched; the frame sits on the region's edge
    frame_on_outline(img, CORNER, EDGE, (34, 40, 52))
    # outside the outline: black (cut away by the region anyway)
    outside = ImageChops.invert(outline_mask(MAIN_W, MAIN_H, CORNER))
    paint(img, (0, 0, 0), outside)
    return img


def settings_background():
    w, h = SETTINGS_W, SETTINGS_H
    img = vertical_gradient(w, h, [(0.0, (24, 29, 40)), (1.0, (12, 14, 20))])
    strip = vertical_gradient(w, 40, [(0.0, (34, 40, 54)), (1.0, (22, 26, 36))])
    img.paste(strip, (0, 0))
    draw = ImageDraw.Draw(img)
    draw.line([(0, 40), (w, 40)], fill=(8, 10, 14))
    for x in range(w):
        t = 1 - abs(x - w * 0.3) / (w * 0.7)
        draw.point((x, 40), fill=mix((8, 10, 14), GOLD, max(0.0, t) ** 2 * 0.7))
    # left column: a large, faint gear
    gear = Image.new("L", (160 * SS, 160 * SS), 0)
    gd = ImageDraw.Draw(gear)
    c = 80 * SS
    teeth = []
    for k in range(48):
        angle = math.tau * k / 48
        r = (62 if (k // 3) % 2 == 0 else 52) * SS
        teeth.append((c + r * math.cos(angle), c + r * math.sin(angle)))
    gd.polygon(teeth, fill=255)
    gd.ellipse([c - 24 * SS, c - 24 * SS, c + 24 * SS, c + 24 * SS], fill=0)
    gear = gear.resize((160, 160), Image.LANCZOS)
    region = img.crop((8, 94, 168, 254))
    paint(region, (60, 70, 92), gear, 0.35)
    img.paste(region, (8, 94))
    # right: a panel behind the rows of settings
    panel = Image.new("L", img.size, 0)
    ImageDraw.Draw(panel).rounded_rectangle([176, 92, 508, 256], 8, fill=255)
    paint(img, (30, 36, 48), panel, 0.7)
    rim = Image.new("L", img.size, 0)
    ImageDraw.Draw(rim).rounded_rectangle([176, 92, 508, 256], 8, outline=255)
    paint(img, (48, 56, 74), rim)
    for y in (130, 155, 186, 217):  # separators between the rows
        draw.line([(188, y), (496, y)], fill=(40, 47, 62))
    logo_mark(img, 490, 8, 22)
    img = add_grain(img, 13, 2)
    frame_on_outline(img, CORNER, EDGE, (34, 40, 52))
    paint(img, KEY, ImageChops.invert(outline_mask(w, h, CORNER)))
    return img


# ---------------------------------------------------------------- controls

STATES = ("common", "over", "down", "up", "disabled")


def button_face(w, h, state, style):
    """The colours of a button: top, bottom, border, ink, ring."""
    if style == "primary":
        top, bottom, ink = (255, 206, 110), (214, 134, 36), (44, 28, 8)
    elif style == "danger":
        top, bottom, ink = (66, 46, 52), (44, 30, 36), (240, 200, 200)
    else:
        top, bottom, ink = (52, 60, 78), (34, 40, 54), INK
    border, ring = mix(bottom, (0, 0, 0), 0.45), None
    if state == "over":
        if style == "danger":
            top, bottom = (214, 72, 72), (160, 40, 44)
        else:
            top, bottom = mix(top, (255, 255, 255), 0.18), mix(bottom, (255, 255, 255), 0.12)
    elif state == "down":
        if style == "danger":
            top, bottom = (130, 32, 36), (176, 52, 56)
        else:
            top, bottom = mix(bottom, (0, 0, 0), 0.2), mix(top, (0, 0, 0), 0.1)
    elif state == "up":
        ring = GOLD_LIGHT if style != "primary" else (255, 244, 214)
        if style == "danger":
            top, bottom = (190, 60, 62), (150, 38, 42)
    elif state == "disabled":
        top, bottom = (58, 60, 66), (44, 46, 52)
        ink = (116, 120, 128)
        border = (30, 32, 36)
    return top, bottom, border, ink, ring


def draw_button(background, box, state, style, glyph, text=None):
    x, y, w, h = box
    img = crop(background, box).convert("RGB")
    top, bottom, border, ink, ring = button_face(w, h, state, style)
    radius = min(8, h // 3)
    body = vertical_gradient(w, h, [(0.0, top), (1.0, bottom)])
    img.paste(body, (0, 0), rounded_mask(w, h, radius))
    if state != "down":  # a highlight along the top edge
        highlight = Image.new("L", (w, h), 0)
        ImageDraw.Draw(highlight).line([(radius, 1), (w - radius, 1)], fill=255)
        paint(img, mix(top, (255, 255, 255), 0.5), highlight, 0.7)
    else:  # a shadow inside the top edge
        shade = vertical_gradient(w, h, [(0.0, (150, 150, 150)), (0.25, (0, 0, 0)),
                                         (1.0, (0, 0, 0))]).convert("L")
        paint(img, (0, 0, 0), ImageChops.multiply(shade, rounded_mask(w, h, radius)), 0.5)
    paint(img, border, ring_mask(w, h, radius))
    if ring:
        paint(img, ring, ring_mask(w, h, radius - 1, 1, 1), 0.9)
    shift = 1 if state == "down" else 0
    content = Image.new("L", (w * SS, h * SS), 0)
    glyph(ImageDraw.Draw(content), w * SS, h * SS, text)
    content = content.resize((w, h), Image.LANCZOS)
    content = ImageChops.offset(content, 0, shift)
    if style == "primary" and state != "disabled":
        paint(img, (255, 240, 200), ImageChops.offset(content, 0, 1), 0.35)  # embossed
    paint(img, ink, content)
    return img


def glyph_close(d, w, h, _):
    s, t = h * 0.2, h * 0.085
    cx, cy = w / 2, h / 2
    d.line([(cx - s, cy - s), (cx + s, cy + s)], fill=255, width=int(t))
    d.line([(cx - s, cy + s), (cx + s, cy - s)], fill=255, width=int(t))


def glyph_minimize(d, w, h, _):
    s, t = h * 0.22, h * 0.085
    d.rectangle([w / 2 - s, h * 0.62, w / 2 + s, h * 0.62 + t], fill=255)


def glyph_config(d, w, h, _):
    cx, cy = w / 2, h / 2
    teeth = []
    for k in range(32):
        angle = math.tau * k / 32
        r = h * (0.3 if (k // 2) % 2 == 0 else 0.23)
        teeth.append((cx + r * math.cos(angle), cy + r * math.sin(angle)))
    d.polygon(teeth, fill=255)
    r = h * 0.1
    d.ellipse([cx - r, cy - r, cx + r, cy + r], fill=0)


def glyph_play(d, w, h, text):
    font = ImageFont.truetype(FONT_BOLD, int(h * 0.34))
    text_w = d.textlength(text, font=font)
    tri = h * 0.3
    gap = h * 0.16
    left = (w - (tri * 0.9 + gap + text_w)) / 2
    cy = h / 2
    d.polygon([(left, cy - tri / 2), (left + tri * 0.9, cy), (left, cy + tri / 2)], fill=255)
    d.text((left + tri * 0.9 + gap, cy), text, font=font, fill=255, anchor="lm")


def glyph_cancel(d, w, h, _):
    glyph_close(d, w, h, None)


def glyph_check_all(d, w, h, _):
    # a magnifier over a tick: look through every file
    cx, cy, r, t = w / 2 - h * 0.06, h * 0.46, h * 0.22, h * 0.07
    d.ellipse([cx - r, cy - r, cx + r, cy + r], outline=255, width=int(t))
    d.line([(cx + r * 0.7, cy + r * 0.7), (cx + r * 1.55, cy + r * 1.55)], fill=255,
           width=int(t * 1.4))
    d.line([(cx - r * 0.45, cy), (cx - r * 0.1, cy + r * 0.35), (cx + r * 0.5, cy - r * 0.35)],
           fill=255, width=int(t * 0.9))


def gauge_textures(background, box, colour):
    """Back and fore textures of a gauge: a sunken groove, and glowing
    segments, both over the background they sit on."""
    x, y, w, h = box
    base = crop(background, box).convert("RGB")
    radius = h // 2 - 1
    shape = rounded_mask(w, h, radius)

    back = base.copy()
    groove = vertical_gradient(w, h, [(0.0, (6, 8, 12)), (1.0, (22, 26, 34))])
    back.paste(groove, (0, 0), shape)
    paint(back, (44, 52, 68), ring_mask(w, h, radius), 0.9)

    fore = back.copy()
    light = vertical_gradient(w, h, [(0.0, mix(colour, (255, 255, 255), 0.45)),
                                     (0.45, colour), (1.0, mix(colour, (0, 0, 0), 0.35))])
    segments = Image.new("L", (w, h), 0)
    sd = ImageDraw.Draw(segments)
    for left in range(2, w - 2, 7):  # 5-pixel blocks with a 2-pixel gap
        sd.rectangle([left, 3, min(left + 4, w - 3), h - 4], fill=255)
    segments = ImageChops.multiply(segments, rounded_mask(w, h, radius - 2, 2))
    glow = segments.filter(ImageFilter.GaussianBlur(2))
    paint(fore, colour, glow, 0.45)
    fore.paste(light, (0, 0), segments)
    for left in range(2, w - 2, 7):  # dark ticks on the empty groove
        ImageDraw.Draw(back).line([(left + 5, 4), (left + 5, h - 5)], fill=(12, 14, 20))
    return fore, back


def bmp(img):
    """A 24-bit bottom-up BMP file of the image."""
    img = img.convert("RGB")
    w, h = img.size
    row_bytes = (w * 3 + 3) // 4 * 4
    pixels = bytearray()
    raw = img.tobytes()
    for y in range(h - 1, -1, -1):
        row = raw[y * w * 3:(y + 1) * w * 3]
        line = bytearray(len(row))
        line[0::3], line[1::3], line[2::3] = row[2::3], row[1::3], row[0::3]
        pixels += line + b"\0" * (row_bytes - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + bytes(pixels)


def parameters(box, visible=True, enabled=True, extra=()):
    x, y, w, h = box
    lines = [f"Left={x}", f"Top={y}", f"Width={w}", f"Height={h}",
             f"Visible={'true' if visible else 'false'}",
             f"Enabled={'true' if enabled else 'false'}"]
    return "\n".join(lines + list(extra)) + "\n"


def label(box, size, colour, bold=False, italic=False, visible=True):
    return parameters(box, visible, extra=(f"Size={size}", f"Color={colorref(colour)}",
                                  f"Bold={'true' if bold else 'false'}",
                                  f"Italic={'true' if italic else 'false'}",
                                  "Underline=false"))


def progress(box, face, grad):
    return parameters(box, extra=(f"CForeFace={colorref(face)}", f"CForeGrad={colorref(grad)}",
                                  f"CBackFace={colorref((40, 46, 58))}",
                                  f"CBackGrad={colorref((18, 21, 28))}", "Orientation=0"))


def main():
    main_dir, settings_dir = SKIN / "main", SKIN / "settings"
    main_dir.mkdir(parents=True, exist_ok=True)
    settings_dir.mkdir(parents=True, exist_ok=True)

    def write(path, data):
        path.write_bytes(data if isinstance(data, bytes) else data.encode())

    background = main_background()
    write(main_dir / "BackGroundImage.image.bmp", bmp(background))
    write(main_dir / "BackGroundImage.region.rgn", region_data(MAIN_W, MAIN_H, CORNER))

    buttons = {
        "Button_StartGame": (START, "primary", glyph_play, "PLAY", False, True),
        "Button_Cancel": (CANCEL, "secondary", glyph_cancel, None, True, True),
        "Button_CheckAllFiles": (CHECK_ALL, "secondary", glyph_check_all, None, True, False),
        "Button_Close": (CLOSE, "danger", glyph_close, None, True, True),
        "Button_Minimize": (MINIMIZE, "secondary", glyph_minimize, None, True, True),
        "Button_Config": (CONFIG, "secondary", glyph_config, None, True, True),
    }
    for name, (box, style, glyph, text, enabled, visible) in buttons.items():
        for state in STATES:
            image = draw_button(background, box, state, style, glyph, text)
            write(main_dir / f"{name}.{state}.bmp", bmp(image))
        # the start button waits for the update; the full check appears after it
        write(main_dir / f"{name}.txt", parameters(box, visible, enabled))

    for name, box, colour in (("Gauge_OneFile", GAUGE_ONE, GOLD),
                              ("Gauge_Total", GAUGE_TOTAL, TEAL)):
        fore, back = gauge_textures(background, box, colour)
        write(main_dir / f"{name}.FTex.bmp", bmp(fore))
        write(main_dir / f"{name}.BTex.bmp", bmp(back))
        write(main_dir / f"{name}.txt", parameters(box))

    write(main_dir / "Progress_OneFile.txt", progress(BAR_ONE, (255, 220, 130), (206, 124, 24)))
    write(main_dir / "Progress_Total.txt", progress(BAR_TOTAL, (150, 236, 224), (22, 128, 128)))
    write(main_dir / "Text_Title.txt", label(TITLE, 11, (244, 230, 204), bold=True))
    write(main_dir / "Text_Status.txt", label(STATUS, 9, (226, 230, 238)))
    write(main_dir / "Text_StatusTotal.txt", label(STATUS_TOTAL, 9, (226, 230, 238)))
    # The main window has no language-folder box for this caption to name:
    # kept in the skin for its place, hidden.
    write(main_dir / "Text_LangBoxDescription.txt",
          label(LANG_TEXT, 8, (140, 150, 166), italic=True, visible=False))
    write(main_dir / "WebPanel.txt", parameters(WEB_PANEL))

    settings = settings_background()
    assert settings.getpixel((0, 0)) == KEY
    write(settings_dir / "BackGroundImage.image.bmp", bmp(settings))
    rows = {"Language": 107, "Autoclose": 136, "Proxy": 161, "DriveType": 192,
            "CheckType": 223}
    write(settings_dir / "Text_Title.txt", label((24, 12, 300, 16), 10, (244, 230, 204), True))
    for name, top in rows.items():
        box = (188, top + 1, 140, 14)
        if name == "Autoclose":
            # Its long caption takes two lines between the row's separators,
            # from just inside the panel's edge.
            box = (180, 129, 148, 28)
        write(settings_dir / f"Text_{name}.txt", label(box, 9, INK))
    for name, top in rows.items():
        if name == "Autoclose":
            write(settings_dir / "Check_Autoclose.txt", parameters((335, top, 13, 17)))
        else:
            write(settings_dir / f"Box_{name}.txt", parameters((335, top, 164, 21)))
    write(settings_dir / "Button_Ok.txt", parameters((400, 304, 99, 33)))


if __name__ == "__main__":
    main()
