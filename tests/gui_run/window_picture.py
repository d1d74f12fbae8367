#!/usr/bin/python3
"""Reads the default skin and pictures of a virtual X display for the window
test (gui_window_run.sh). Every place and size comes from the skin folder:
its index.txt names the main window's background bitmap, outline and each
control's parameter list.

  window_picture.py size SKIN                      background width and height
  window_picture.py control SKIN NAME              a control's Left Top Width Height
  window_picture.py grab OUT.png                   the whole screen of $DISPLAY
  window_picture.py shape SHOT SKIN X Y            the window at X,Y is cut to the outline
  window_picture.py button SHOT SKIN NAME X Y      which image the button shows
  window_picture.py news SHOT SKIN X Y             the news panel shows a page, not the skin
  window_picture.py panel SHOT SKIN X Y            the message panel is open and readable,
                                                   above the news page where it overlaps it
  window_picture.py dialog SHOT X Y                the settings window at X,Y shows its skin
  window_picture.py watch SKIN X Y BEFORE DURING AFTER SECONDS
      grabs the screen until the start button shows its enabled image; keeps,
      of the pictures whose overall progress bar differs from BEFORE (while the
      button is still disabled), the middle one as DURING, and the last as AFTER.

Exit status 0 when the check holds, 1 with the reason on stderr when not.
"""

import os
import struct
import sys
import time

from PIL import Image, ImageChops, ImageGrab

BUTTON_IMAGES = ("common", "over", "down", "up", "disabled")
# The message panel's designed place in the main window (left, top, width,
# height when open; a long message makes it taller) and its colour.
MESSAGE_PANEL = (552, 35, 239, 45)
PANEL_COLOUR = (0x5A, 0x52, 0x4A)
INDICATORS = ("Progress_OneFile", "Progress_Total", "Gauge_OneFile", "Gauge_Total")


def fail(message):
    print(message, file=sys.stderr)
    sys.exit(1)


def skin_index(skin):
    """{member: {field: path}} of the [main] section of the skin's index."""
    members = {}
    section = None
    member = None
    with open(os.path.join(skin, "index.txt"), encoding="utf-8-sig") as index:
        for raw in index:
            line = raw.strip()
            if not line or line[0] in ";#":
                continue
            if line.startswith("["):
                section = line.strip("[]").strip()
                member = None
                continue
            if section != "main":
                continue
            if "=" in line:
                field, path = (part.strip() for part in line.split("=", 1))
                members.setdefault(member, {})[field] = os.path.join(skin, path)
            else:
                member = line
                members.setdefault(member, {})
    return members


def parameters(skin, name):
    path = skin_index(skin)[name]["parameters"]
    values = {}
    with open(path, encoding="utf-8-sig") as text:
        for line in text:
            if "=" in line:
                key, value = line.strip().split("=", 1)
                values[key] = value
    return values


def number(value):
    value = value.strip()
    for prefix in ("0x", "$", "x"):
        if value.startswith(prefix):
            return int(value[len(prefix):], 16)
    return int(value)


def control_rect(skin, name):
    p = parameters(skin, name)
    return tuple(number(p[key]) for key in ("Left", "Top", "Width", "Height"))


def background(skin):
    return Image.open(skin_index(skin)["BackGroundImage"]["image"]).convert("RGB")


def outline(skin):
    """The outline's rectangles (left, top, right, bottom), or None."""
    path = skin_index(skin)["BackGroundImage"].get("region")
    if not path or not os.path.exists(path):
        return None
    data = open(path, "rb").read()
    _, _, count, _ = struct.unpack_from("<4I", data, 0)
    return [struct.unpack_from("<4i", data, 32 + 16 * i) for i in range(count)]


def inside(rects, x, y):
    return any(left <= x < right and top <= y < bottom for left, top, right, bottom in rects)


def crop(shot, x, y, rect):
    left, top, width, height = rect
    return shot.crop((x + left, y + top, x + left + width, y + top + height))


def mean_difference(a, b):
    histogram = ImageChops.difference(a.convert("RGB"), b.convert("RGB")).convert("L").histogram()
    pixels = sum(histogram)
    return sum(level * count for level, count in enumerate(histogram)) / max(1, pixels)


def button_state(shot, skin, name, x, y):
    """(image name, mean difference) of the button image the shot matches best."""
    left, top, _, _ = control_rect(skin, name)
    fields = skin_index(skin)[name]
    best = (None, 256.0)
    for which in BUTTON_IMAGES:
        if which not in fields:
            continue
        image = Image.open(fields[which]).convert("RGB")
        seen = crop(shot, x, y, (left, top, image.width, image.height))
        difference = mean_difference(seen, image)
        if difference < best[1]:
            best = (which, difference)
    return best


def grab():
    return ImageGrab.grab(xdisplay=os.environ["DISPLAY"]).convert("RGB")


def check_shape(shot, skin, x, y):
    rects = outline(skin)
    if not rects:
        fail("the skin has no outline: nothing to check")
    image = background(skin)
    # The root window's colour, from a screen corner the window does not cover.
    root_colour = shot.getpixel((shot.width - 1, shot.height - 1))
    outside = inside_points = 0
    wrong_outside = []
    wrong_inside = []
    step = 3
    for py in range(0, image.height, step):
        for px in range(0, image.width, step):
            seen = shot.getpixel((x + px, y + py))
            if not inside(rects, px, py):
                outside += 1
                if seen != root_colour:
                    wrong_outside.append((px, py, seen))
            elif image.getpixel((px, py)) != root_colour:
                inside_points += 1
                if seen == root_colour:
                    wrong_inside.append((px, py))
    if outside == 0:
        fail("the skin's outline covers the whole background: nothing to check")
    if wrong_outside:
        fail(f"{len(wrong_outside)} of {outside} points outside the outline show the window, "
             f"not the root colour {root_colour}; first: {wrong_outside[:5]}")
    if len(wrong_inside) > inside_points // 100:
        fail(f"{len(wrong_inside)} of {inside_points} points inside the outline show the root "
             f"colour; first: {wrong_inside[:5]}")
    print(f"{outside} points outside the outline show the root colour {root_colour}; "
          f"{inside_points - len(wrong_inside)} of {inside_points} inside show the window")


def check_news(shot, skin, x, y):
    rect = control_rect(skin, "WebPanel")
    seen = crop(shot, x, y, rect)
    skin_part = crop(background(skin), 0, 0, rect)
    difference = mean_difference(seen, skin_part)
    colours = len(seen.getcolors(maxcolors=1 << 20) or [])
    print(f"news panel: mean difference from the skin {difference:.1f}, {colours} colours")
    if difference < 8 or colours < 16:
        fail("the news panel shows the skin's background or a blank area, not a page")


def luminance(pixel):
    def linear(channel):
        value = channel / 255
        return value / 12.92 if value <= 0.04045 else ((value + 0.055) / 1.055) ** 2.4
    r, g, b = (linear(c) for c in pixel[:3])
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(first, second):
    a, b = sorted((luminance(first), luminance(second)))
    return (b + 0.05) / (a + 0.05)


def panel_stats(image):
    """(share of pixels in the panel's colour, number of readable text pixels:
    those at a contrast of 4.5:1 or more on the panel)."""
    pixels = list(image.getdata())
    plain = sum(1 for p in pixels if max(abs(a - b) for a, b in zip(p, PANEL_COLOUR)) <= 8)
    readable = sum(1 for p in pixels if contrast(p, PANEL_COLOUR) >= 4.5)
    return plain / max(1, len(pixels)), readable


def check_panel(shot, skin, x, y):
    left, top, width, height = MESSAGE_PANEL
    share, red = panel_stats(crop(shot, x, y, MESSAGE_PANEL))
    print(f"message panel: {share:.0%} in its colour, {red} readable text pixels")
    # More than the close button's "X" alone.
    if share < 0.5 or red < 40:
        fail("the message panel is not shown open with its text")
    # The part that lies over the news page must show the panel, not the page.
    web_left, web_top, web_width, web_height = control_rect(skin, "WebPanel")
    overlap_top = max(top, web_top)
    overlap = (left, overlap_top, min(left + width, web_left + web_width) - left,
               min(top + height, web_top + web_height) - overlap_top)
    if overlap[2] > 0 and overlap[3] > 0:
        share, red = panel_stats(crop(shot, x, y, overlap))
        print(f"over the news page ({overlap[3]} rows): {share:.0%} in the panel's colour, "
              f"{red} readable text pixels")
        if share < 0.5 or red < 5:
            fail("the news page covers the message panel")


def check_dialog(shot, x, y):
    """The settings window: its key colour never shows, its rows do."""
    image = shot.crop((x, y, x + 520, y + 360))
    magenta = sum(1 for r, g, b in image.getdata() if r > 240 and g < 16 and b > 240)
    colours = len(image.getcolors(maxcolors=1 << 20) or [])
    print(f"settings window: {colours} colours, {magenta} key-coloured pixels")
    if magenta > 0 or colours < 64:
        fail("the settings window is not shown with its skin")


def watch(skin, x, y, before_path, during_path, after_path, seconds):
    before = Image.open(before_path).convert("RGB")
    rects = [control_rect(skin, name) for name in INDICATORS]
    deadline = time.monotonic() + seconds
    # Pictures that show the overall progress: the one from the middle of
    # the update is kept.
    during = []
    last_state = None
    while time.monotonic() < deadline:
        shot = grab()
        state, difference = button_state(shot, skin, "Button_StartGame", x, y)
        last_state = (state, difference)
        if state == "common" and difference < 2:
            shot.save(after_path)
            if not during:
                fail("the update ended before the window showed its overall progress")
            picture, changed = during[len(during) // 2]
            picture.save(during_path)
            print(f"start button enabled; the overall progress was shown in {len(during)} "
                  "pictures during the update; the one kept differs from the first in " +
                  ", ".join(f"{name} {value:.1f}" for name, value in zip(INDICATORS, changed)))
            return
        if state == "disabled":
            changed = [mean_difference(crop(shot, x, y, r), crop(before, x, y, r)) for r in rects]
            # The overall progress bar has moved (the first phase, the check
            # of the files present, moves only the one-file bar and gauge).
            if changed[INDICATORS.index("Progress_Total")] > 1:
                during.append((shot, changed))
                if len(during) > 40:
                    during = during[::2]
        time.sleep(0.2)
    shot.save(after_path)
    fail(f"the start button did not become enabled within {seconds} s "
         f"(it shows its {last_state[0]} image, mean difference {last_state[1]:.1f})")


def main(argv):
    command, args = argv[1], argv[2:]
    if command == "size":
        image = background(args[0])
        print(image.width, image.height)
    elif command == "control":
        print(*control_rect(args[0], args[1]))
    elif command == "grab":
        grab().save(args[0])
    elif command == "shape":
        check_shape(Image.open(args[0]).convert("RGB"), args[1], int(args[2]), int(args[3]))
    elif command == "button":
        state, difference = button_state(Image.open(args[0]).convert("RGB"), args[1], args[2],
                                         int(args[3]), int(args[4]))
        print(state if difference < 2 else f"none (nearest: {state}, {difference:.1f})")
    elif command == "news":
        check_news(Image.open(args[0]).convert("RGB"), args[1], int(args[2]), int(args[3]))
    elif command == "panel":
        check_panel(Image.open(args[0]).convert("RGB"), args[1], int(args[2]), int(args[3]))
    elif command == "dialog":
        check_dialog(Image.open(args[0]).convert("RGB"), int(args[1]), int(args[2]))
    elif command == "watch":
        watch(args[0], int(args[1]), int(args[2]), args[3], args[4], args[5], float(args[6]))
    else:
        fail(f"unknown command {command}")


if __name__ == "__main__":
    main(sys.argv)
