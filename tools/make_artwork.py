#!/usr/bin/python3
"""Draws the launcher's artwork into res/ (run again after changing a drawing; the outputs are committed).

    /usr/bin/python3 tools/make_artwork.py [output folder]      (needs python3-pil and python3-numpy)

background.jpg   480 x 600 baseline JPEG: emblem, news panel, edge line, dusk landscape
button.bmp       100 x 26 24-bit face, magenta corners
button_hot.bmp   the same, brighter (hovered or pressed)
launcher.ico     16, 24, 32, 48, 64 and 128 pixel 32-bit images
hand.cur         32 x 32 monochrome pointing hand, hot spot (5, 0)
"""
import io
import math
import os
import random
import struct
import sys

import numpy as np
from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

W, H = 480, 600
SS = 2  # supersampling of the background's smooth parts

# The news view covers this rectangle of the window (right and bottom exclusive); its frame lies just outside.
NEWS = (26, 238, 454, 446)
# Rows that carry the buttons, labels, bars and version line: kept dark and calm.
CONTROLS_TOP = 456

MAGENTA = (255, 0, 255)
GOLD_LIGHT = (255, 236, 172)
GOLD = (214, 176, 96)
GOLD_DARK = (138, 98, 44)

SERIF_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf"
SERIF = "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf"
SERIF_CONDENSED_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSerifCondensed-Bold.ttf"


def lerp(a, b, t):
    return a + (b - a) * t


def gradient_rows(height, stops):
    """One RGB colour per row, interpolated between (position 0..1, colour) stops."""
    pos = np.linspace(0.0, 1.0, height)
    out = np.zeros((height, 3))
    xs = [s[0] for s in stops]
    for c in range(3):
        out[:, c] = np.interp(pos, xs, [s[1][c] for s in stops])
    return out


def ridge(width, base, amplitude, roughness, seed, octaves=7):
    """A mountain skyline: y per column by midpoint displacement, smoothed a little."""
    rnd = random.Random(seed)
    n = 1 << octaves
    pts = [0.0] * (n + 1)
    pts[0], pts[n] = rnd.uniform(-1, 1), rnd.uniform(-1, 1)
    step, scale = n, 1.0
    while step > 1:
        half = step // 2
        for i in range(half, n, step):
            pts[i] = (pts[i - half] + pts[i + half]) / 2 + rnd.uniform(-1, 1) * scale
        step, scale = half, scale * roughness
    xs = np.linspace(0, n, width)
    ys = np.interp(xs, np.arange(n + 1), pts)
    return base - ys * amplitude


def gold_fill(mask, top, bottom):
    """A layer of vertical gold gradient shown through a greyscale mask."""
    w, h = mask.size
    rows = gradient_rows(h, [(0.0, GOLD_LIGHT), (0.45, GOLD), (1.0, GOLD_DARK)])
    arr = np.zeros((h, w, 4), dtype=np.uint8)
    span = max(1, bottom - top)
    t = np.clip((np.arange(h) - top) / span, 0, 1)
    idx = (t * (h - 1)).astype(int)
    arr[:, :, :3] = rows[idx][:, None, :].astype(np.uint8)
    arr[:, :, 3] = np.asarray(mask)
    return Image.fromarray(arr, "RGBA")


def paste_over(base, layer):
    base.alpha_composite(layer)


def text_mask(size, text, font, center, spacing=0):
    """Mask of a text line centred on a point, with extra letter spacing."""
    mask = Image.new("L", size, 0)
    d = ImageDraw.Draw(mask)
    widths = [d.textlength(ch, font=font) for ch in text]
    total = sum(widths) + spacing * (len(text) - 1)
    x = center[0] - total / 2
    asc, desc = font.getmetrics()
    y = center[1] - (asc + desc) / 2
    for ch, cw in zip(text, widths):
        d.text((x, y), ch, font=font, fill=255)
        x += cw + spacing
    return mask


# ---------------------------------------------------------------- background

def draw_sky(w, h):
    rows = gradient_rows(h, [
        (0.00, (6, 9, 24)),
        (0.30, (14, 22, 52)),
        (0.55, (32, 36, 76)),
        (0.68, (70, 52, 88)),
        (0.75, (150, 88, 76)),
        (0.79, (222, 146, 80)),
        (0.81, (236, 170, 96)),
        (0.83, (120, 70, 62)),
        (1.00, (20, 16, 28)),
    ])
    sky = np.repeat(rows[:, None, :], w, axis=1)
    # Glow of the set sun on the horizon, centred.
    yy, xx = np.mgrid[0:h, 0:w]
    gx, gy = w / 2, h * 0.80
    d = np.sqrt(((xx - gx) / (w * 0.6)) ** 2 + ((yy - gy) / (h * 0.12)) ** 2)
    glow = np.clip(1 - d, 0, 1) ** 2
    sky += glow[:, :, None] * np.array([70, 40, 10])
    # Halo behind the emblem.
    ex, ey = w / 2, h * 0.155
    d = np.sqrt(((xx - ex) / (w * 0.36)) ** 2 + ((yy - ey) / (h * 0.22)) ** 2)
    halo = np.clip(1 - d, 0, 1) ** 2.2
    sky += halo[:, :, None] * np.array([60, 50, 34])
    return sky


def add_stars(img, seed):
    rnd = random.Random(seed)
    d = ImageDraw.Draw(img)
    w, h = img.size
    for _ in range(260):
        x = rnd.uniform(0, w)
        y = (rnd.random() ** 1.6) * h * 0.62
        fade = 1 - y / (h * 0.66)
        b = rnd.uniform(0.25, 1.0) * fade
        r = rnd.choice([0.6, 0.8, 1.0, 1.0, 1.4, 2.0]) * SS * 0.6
        tint = rnd.choice([(255, 250, 235), (220, 230, 255), (255, 235, 200)])
        col = tuple(int(c * b) for c in tint) + (255,)
        d.ellipse([x - r, y - r, x + r, y + r], fill=col)
    # A few bright stars with a soft cross.
    for _ in range(7):
        x = rnd.uniform(0.05, 0.95) * w
        y = rnd.uniform(0.02, 0.33) * h
        if abs(x - w / 2) < 90 * SS and y < 230 * SS:
            continue  # leave the emblem clear
        for k, a in ((7, 70), (4, 140)):
            d.line([x - k * SS, y, x + k * SS, y], fill=(255, 246, 220, a), width=1)
            d.line([x, y - k * SS, x, y + k * SS], fill=(255, 246, 220, a), width=1)
        d.ellipse([x - 1.5 * SS, y - 1.5 * SS, x + 1.5 * SS, y + 1.5 * SS], fill=(255, 250, 235, 255))


def mountains(img):
    """Three ranges, high at the sides and open in the middle, where the sunset shows above the lake."""
    w, h = img.size
    layers = [
        # row at the centre, rise at the sides, noise amplitude, roughness, seed, colour, lit rim
        (484, 96, 16, 0.55, 11, (66, 50, 84), 0.7),
        (494, 70, 10, 0.55, 23, (42, 32, 58), 0.45),
        (500, 44, 8, 0.6, 37, (24, 19, 36), 0.25),
    ]
    yy = np.arange(h)[:, None]
    xs = np.linspace(-1, 1, w)
    for base, rise, amp, rough, seed, col, haze in layers:
        top = ridge(w, base * SS, amp * SS, rough, seed) - rise * SS * np.abs(xs) ** 1.6
        arr = np.asarray(img).astype(float)
        inside = yy >= top[None, :]
        # Lit rim along the skyline, darker towards the feet.
        depth = np.clip((yy - top[None, :]) / (60 * SS), 0, 1)
        rim = np.array([170, 100, 60]) * haze
        colour = (np.array(col)[None, None, :] + rim[None, None, :] * (1 - depth[:, :, None]) ** 5)
        colour = colour * (1 - 0.4 * depth[:, :, None])
        edge = np.clip(yy - top[None, :] + 1, 0, 1)  # anti-aliased skyline
        a = (inside * edge)[:, :, None]
        arr[:, :, :3] = arr[:, :, :3] * (1 - a) + colour * a
        img = Image.fromarray(arr.astype(np.uint8), "RGBA")
    return img


def castle(img):
    """A small keep on the right-hand ridge, windows lit."""
    d = ImageDraw.Draw(img)
    s = SS * 0.75
    col = (18, 14, 26, 255)
    bx, by = 468 * SS, 474 * SS
    d.rectangle([bx - 8 * s, by - 34 * s, bx + 2 * s, by], fill=col)
    d.polygon([(bx - 10 * s, by - 34 * s), (bx - 3 * s, by - 48 * s), (bx + 4 * s, by - 34 * s)], fill=col)
    d.rectangle([bx - 26 * s, by - 20 * s, bx - 8 * s, by], fill=col)
    for i in range(4):
        x = bx - 26 * s + i * 5 * s
        d.rectangle([x, by - 24 * s, x + 2 * s, by - 20 * s], fill=col)
    for (x, y) in ((bx - 4 * s, by - 26 * s), (bx - 18 * s, by - 13 * s), (bx - 5 * s, by - 14 * s)):
        d.rectangle([x, y, x + 1 * s, y + 2 * s], fill=(255, 196, 110, 255))
    bx, by = 8 * SS, 486 * SS
    d.rectangle([bx, by - 22 * s, bx + 7 * s, by], fill=col)
    d.polygon([(bx - 2 * s, by - 22 * s), (bx + 3.5 * s, by - 33 * s), (bx + 9 * s, by - 22 * s)], fill=col)
    d.rectangle([bx + 3 * s, by - 16 * s, bx + 4 * s, by - 14 * s], fill=(255, 190, 100, 255))


def valley(img):
    """Lake and shore below the mountains: dark, a faint reflection of the glow."""
    w, h = img.size
    arr = np.asarray(img).astype(float)
    top = int(500 * SS)
    yy, xx = np.mgrid[top:h, 0:w]
    t = (yy - top) / (h - top)
    base = np.stack([lerp(44, 8, t), lerp(32, 8, t), lerp(52, 14, t)], axis=-1)
    # The glow's reflection, broken into horizontal streaks.
    rnd = np.random.default_rng(5)
    coarse = rnd.normal(0, 1, size=(h - top, w // (24 * SS) + 2))
    streaks = np.asarray(Image.fromarray(coarse.astype(np.float32), "F").resize((w, h - top), Image.BILINEAR))
    streaks = np.clip(0.55 + 0.45 * streaks, 0, 1.4)
    refl = np.exp(-((xx - w / 2) / (w * 0.28)) ** 2) * np.exp(-t * 3.2) * streaks
    base += refl[:, :, None] * np.array([112, 62, 26])
    # The far shore: a thin dark line where the ranges meet the water.
    base[yy < top + 1 * SS] = np.array([20, 16, 28])
    arr[top:, :, :3] = base
    img = Image.fromarray(arr.astype(np.uint8), "RGBA")
    # Pines along both sides, in silhouette.
    d = ImageDraw.Draw(img)
    rnd2 = random.Random(19)
    for side in (0, 1):
        for i in range(9):
            x = rnd2.uniform(0, 30) if side == 0 else rnd2.uniform(450, 480)
            base_y = rnd2.uniform(510, 600)
            hgt = rnd2.uniform(40, 80) * (0.6 + 0.4 * (base_y - 510) / 90)
            pine(d, x * SS, base_y * SS, hgt * SS)
    return img


def pine(d, x, y, h):
    col = (6, 6, 10, 255)
    tiers = 6
    for i in range(tiers):
        t0 = i / tiers
        ty = y - h * (0.15 + 0.85 * t0)
        wdt = h * 0.32 * (1 - t0) + h * 0.04
        d.polygon([(x - wdt, ty + h * 0.22), (x, ty - h * 0.06), (x + wdt, ty + h * 0.22)], fill=col)
    d.rectangle([x - h * 0.02, y - h * 0.16, x + h * 0.02, y], fill=col)


def emblem(size):
    """Gold ring, laurels, shield with the V and the title, on a transparent layer."""
    w, h = size
    s = SS
    cx, cy = w / 2, 92 * s
    layer = Image.new("RGBA", size, (0, 0, 0, 0))

    # Laurel branches first, so the ring covers their stems.
    leaves = Image.new("L", size, 0)
    ld = ImageDraw.Draw(leaves)
    stem_r = 71 * s
    for side in (-1, 1):
        # theta 0 is the bottom of the ring, 180 its top; the branches climb each side.
        def at(theta, r=stem_r):
            t = math.radians(theta)
            return cx + side * r * math.sin(t), cy + r * math.cos(t)
        ld.line([at(th) for th in np.linspace(18, 150, 80)], fill=255, width=int(1.6 * s))
        for i in range(12):
            th = 24 + i * 11
            px, py = at(th)
            t = math.radians(th)
            tx, ty = side * math.cos(t), -math.sin(t)  # direction of growth along the stem
            ox, oy = side * math.sin(t), math.cos(t)  # outwards from the ring's centre
            scale = 1 - i * 0.045
            ll, lw = 11 * s * scale, 3.8 * s * scale
            for sgn in (1, -1):
                tilt = math.radians(38)
                dx = tx * math.cos(tilt) + sgn * ox * math.sin(tilt)
                dy = ty * math.cos(tilt) + sgn * oy * math.sin(tilt)
                leaf = Image.new("L", (int(4 * ll), int(4 * ll)), 0)
                c0 = 2 * ll
                ImageDraw.Draw(leaf).ellipse([c0 - ll, c0 - lw, c0 + ll, c0 + lw], fill=255)
                leaf = leaf.rotate(math.degrees(math.atan2(-dy, dx)), resample=Image.BICUBIC)
                lx, ly = px + dx * ll * 0.95, py + dy * ll * 0.95
                leaves.paste(255, (int(lx - c0), int(ly - c0)), leaf)
        # a berry or two between the leaves
        for th in (46, 90, 126):
            bx, by = at(th, stem_r + 6 * s)
            ld.ellipse([bx - 2 * s, by - 2 * s, bx + 2 * s, by + 2 * s], fill=255)
    paste_over(layer, gold_fill(leaves, int(cy - 80 * s), int(cy + 80 * s)))

    # Dark disc inside the ring.
    d = ImageDraw.Draw(layer)
    R = 58 * s
    d.ellipse([cx - R, cy - R, cx + R, cy + R], fill=(14, 20, 44, 255))
    inner = Image.new("RGBA", size, (0, 0, 0, 0))
    idr = ImageDraw.Draw(inner)
    for k in range(20):
        rr = R * (1 - k / 24)
        c = int(14 + k * 1.6)
        idr.ellipse([cx - rr, cy - rr * 1.0 - k * 0.6, cx + rr, cy + rr - k * 0.6], fill=(c, c + 8, c + 30, 255))
    ring_mask = Image.new("L", size, 0)
    ImageDraw.Draw(ring_mask).ellipse([cx - R, cy - R, cx + R, cy + R], fill=255)
    layer.paste(inner, (0, 0), ring_mask)

    # Rings.
    rings = Image.new("L", size, 0)
    rd = ImageDraw.Draw(rings)
    rd.ellipse([cx - (R + 6 * s), cy - (R + 6 * s), cx + R + 6 * s, cy + R + 6 * s], outline=255, width=5 * s)
    rd.ellipse([cx - R + 1 * s, cy - R + 1 * s, cx + R - 1 * s, cy + R - 1 * s], outline=255, width=1 * s)
    # small studs on the outer ring
    for i in range(24):
        a = math.radians(i * 15)
        rr = R + 3.5 * s
        x, y = cx + rr * math.cos(a), cy + rr * math.sin(a)
        rd.ellipse([x - 1.2 * s, y - 1.2 * s, x + 1.2 * s, y + 1.2 * s], fill=0)
    paste_over(layer, gold_fill(rings, int(cy - R - 8 * s), int(cy + R + 8 * s)))

    # Heater shield: straight sides for its upper part, then curves to the point.
    shield = Image.new("L", size, 0)
    sd = ImageDraw.Draw(shield)
    sw, st, sb = 33 * s, cy - 40 * s, cy + 44 * s

    def shield_poly(inset):
        left, right, top, tip = cx - sw + inset, cx + sw - inset, st + inset, sb - inset * 1.6
        knee = top + (tip - top) * 0.42
        pts = [(left, top), (right, top), (right, knee)]
        for i in range(1, 25):
            t = i / 24
            # quadratic curve from the knee to the tip, bulging outwards
            x = (1 - t) ** 2 * right + 2 * (1 - t) * t * right + t * t * cx
            y = (1 - t) ** 2 * knee + 2 * (1 - t) * t * (knee + (tip - knee) * 0.55) + t * t * tip
            pts.append((x, y))
        for i in range(23, 0, -1):
            t = i / 24
            x = (1 - t) ** 2 * left + 2 * (1 - t) * t * left + t * t * cx
            y = (1 - t) ** 2 * knee + 2 * (1 - t) * t * (knee + (tip - knee) * 0.55) + t * t * tip
            pts.append((x, y))
        pts.append((left, knee))
        return pts

    sd.polygon(shield_poly(0), fill=255)
    sd.polygon(shield_poly(2.5 * s), fill=0)
    field = Image.new("L", size, 0)
    ImageDraw.Draw(field).polygon(shield_poly(2.5 * s), fill=255)
    fa = np.zeros((h, w, 4), dtype=np.uint8)
    chief = int(st + 20 * s)
    rows = np.zeros((h, 3))
    rows[:] = (24, 38, 88)
    low = gradient_rows(h - chief, [(0, (120, 30, 40)), (0.25, (82, 18, 30)), (1, (40, 8, 16))])
    rows[chief:] = low
    fa[:, :, :3] = rows[:, None, :].astype(np.uint8)
    fa[:, :, 3] = np.asarray(field)
    paste_over(layer, Image.fromarray(fa, "RGBA"))
    # thin gold band under the chief
    band = Image.new("L", size, 0)
    ImageDraw.Draw(band).rectangle([cx - sw, chief - s, cx + sw, chief + s], fill=255)
    band = ImageChops.multiply(band, field)
    paste_over(layer, gold_fill(band, chief - 2 * s, chief + 2 * s))
    paste_over(layer, gold_fill(shield, int(st), int(sb)))

    v = Image.new("L", size, 0)
    vfont = ImageFont.truetype(SERIF_BOLD, 46 * s)
    vd = ImageDraw.Draw(v)
    vd.text((cx, cy + 12 * s), "V", font=vfont, fill=255, anchor="mm")
    vshadow = v.filter(ImageFilter.GaussianBlur(3 * s))
    sh = Image.new("RGBA", size, (0, 0, 0, 0))
    sh.putalpha(vshadow.point(lambda p: p * 0.8))
    paste_over(layer, sh)
    paste_over(layer, gold_fill(v, int(cy - 24 * s), int(cy + 36 * s)))

    # Star above the V.
    star = Image.new("L", size, 0)
    pts = []
    sx, sy = cx, st + 11 * s
    for i in range(10):
        a = -math.pi / 2 + i * math.pi / 5
        r = (6.5 if i % 2 == 0 else 2.6) * s
        pts.append((sx + r * math.cos(a), sy + r * math.sin(a)))
    ImageDraw.Draw(star).polygon(pts, fill=255)
    paste_over(layer, gold_fill(star, int(sy - 7 * s), int(sy + 7 * s)))

    # Title.
    title_font = ImageFont.truetype(SERIF_BOLD, 31 * s)
    tm = text_mask(size, "VELMORA", title_font, (cx, 185 * s), spacing=5 * s)
    shadow = tm.filter(ImageFilter.GaussianBlur(2.5 * s))
    sh = Image.new("RGBA", size, (0, 0, 0, 0))
    sh.putalpha(shadow)
    sh = ImageChops.offset(sh, 0, 2 * s)
    paste_over(layer, sh)
    paste_over(layer, gold_fill(tm, int(170 * s), int(200 * s)))
    sub_font = ImageFont.truetype(SERIF, 12 * s)
    sm = text_mask(size, "WORLD", sub_font, (cx, 213 * s), spacing=7 * s)
    paste_over(layer, gold_fill(sm, int(206 * s), int(220 * s)))
    # Rules beside the sub-title, with a lozenge at their outer ends.
    rule = Image.new("L", size, 0)
    rdw = ImageDraw.Draw(rule)
    for side in (-1, 1):
        x0, x1 = cx + side * 44 * s, cx + side * 120 * s
        rdw.line([(x0, 213 * s), (x1, 213 * s)], fill=255, width=1 * s)
        rdw.polygon([(x1, 210 * s), (x1 + side * 4 * s, 213 * s), (x1, 216 * s), (x1 - side * 4 * s, 213 * s)],
                    fill=255)
    paste_over(layer, gold_fill(rule, int(205 * s), int(220 * s)))
    return layer


def panel(img):
    """Dark translucent panel around the news view, with a soft shadow."""
    w, h = img.size
    s = SS
    x0, y0, x1, y1 = (NEWS[0] - 10) * s, (NEWS[1] - 10) * s, (NEWS[2] + 10) * s, (NEWS[3] + 8) * s
    shadow = Image.new("L", img.size, 0)
    ImageDraw.Draw(shadow).rounded_rectangle([x0, y0 + 3 * s, x1, y1 + 4 * s], radius=8 * s, fill=170)
    shadow = shadow.filter(ImageFilter.GaussianBlur(6 * s))
    sh = Image.new("RGBA", img.size, (0, 0, 0, 0))
    sh.putalpha(shadow)
    img.alpha_composite(sh)
    body = Image.new("RGBA", img.size, (0, 0, 0, 0))
    ImageDraw.Draw(body).rounded_rectangle([x0, y0, x1, y1], radius=7 * s, fill=(9, 11, 20, 222))
    img.alpha_composite(body)
    inside = Image.new("RGBA", img.size, (0, 0, 0, 0))
    ImageDraw.Draw(inside).rectangle([NEWS[0] * s, NEWS[1] * s, NEWS[2] * s - 1, NEWS[3] * s - 1],
                                     fill=(16, 18, 30, 255))
    img.alpha_composite(inside)
    return img


def darken_controls_area(arr):
    """Deepen the rows under the buttons, labels and bars so that light text stays readable."""
    h = arr.shape[0]
    y = np.arange(h)[:, None, None] / SS
    k = np.clip((y - 500) / 40, 0, 1) * 0.3
    arr[:, :, :3] *= (1 - k)
    return arr


def edge_line(img):
    """Gold line just inside the window's rounded outline (the window is cut by a 20 x 20 ellipse region)."""
    s = SS
    ring = Image.new("L", img.size, 0)
    d = ImageDraw.Draw(ring)
    d.rounded_rectangle([2 * s, 2 * s, (W - 3) * s + s - 1, (H - 3) * s + s - 1], radius=9 * s, outline=255,
                        width=s)
    img.alpha_composite(gold_fill(ring, int(-0.6 * H * s), int(1.6 * H * s)))
    dark = Image.new("L", img.size, 0)
    ImageDraw.Draw(dark).rounded_rectangle([0, 0, W * s - 1, H * s - 1], radius=10 * s, outline=255, width=2 * s)
    dk = Image.new("RGBA", img.size, (4, 4, 8, 0))
    dk.putalpha(dark.point(lambda p: p * 0.9))
    img.alpha_composite(dk)
    return img


def news_frame(img):
    """Exact one-pixel frames around the news view: gold just outside it, a dimmer one further out."""
    d = ImageDraw.Draw(img)
    l, t, r, b = NEWS
    d.rectangle([l - 1, t - 1, r, b], outline=GOLD)
    d.rectangle([l - 4, t - 4, r + 3, b + 3], outline=(104, 80, 44))
    for (x, y) in ((l - 4, t - 4), (r + 3, t - 4), (l - 4, b + 3), (r + 3, b + 3)):
        d.polygon([(x, y - 4), (x + 4, y), (x, y + 4), (x - 4, y)], fill=GOLD)
    # Centre ornaments on the top and bottom rules.
    for y in (t - 4, b + 3):
        cx = (l + r) // 2
        d.polygon([(cx - 10, y), (cx, y - 3), (cx + 10, y), (cx, y + 3)], fill=GOLD)
    return img


def add_grain(arr, amount, seed):
    rnd = np.random.default_rng(seed)
    arr[:, :, :3] += rnd.normal(0, amount, size=arr[:, :, :3].shape)
    return arr


def make_background():
    w, h = W * SS, H * SS
    sky = draw_sky(w, h)
    img = Image.fromarray(np.clip(sky, 0, 255).astype(np.uint8), "RGB").convert("RGBA")
    add_stars(img, 3)
    img = mountains(img)
    castle(img)
    img = valley(img)
    img.alpha_composite(emblem(img.size))
    img = panel(img)
    arr = np.asarray(img).astype(float)
    arr = darken_controls_area(arr)
    img = Image.fromarray(np.clip(arr, 0, 255).astype(np.uint8), "RGBA")
    img = edge_line(img)
    img = img.resize((W, H), Image.LANCZOS).convert("RGB")
    arr = add_grain(np.asarray(img).astype(float), 1.6, 9)
    img = Image.fromarray(np.clip(arr, 0, 255).astype(np.uint8), "RGB")
    return news_frame(img)


def save_jpeg(img, path, target=62000):
    """Baseline JFIF at the highest quality that stays near the target size."""
    best = None
    for q in range(96, 60, -1):
        buf = io.BytesIO()
        img.save(buf, "JPEG", quality=q, optimize=True, progressive=False, subsampling=0)
        best = buf.getvalue()
        if len(best) <= target:
            break
    with open(path, "wb") as f:
        f.write(best)


# ---------------------------------------------------------------- buttons

def rounded_coverage(w, h, r, sub=8):
    """Share of each pixel inside a rectangle with rounded corners of radius r."""
    cov = np.zeros((h, w))
    offs = (np.arange(sub) + 0.5) / sub
    for oy in offs:
        for ox in offs:
            y = np.arange(h)[:, None] + oy
            x = np.arange(w)[None, :] + ox
            cx = np.clip(x, r, w - r)
            cy = np.clip(y, r, h - r)
            cov += ((x - cx) ** 2 + (y - cy) ** 2 <= r * r)
    return cov / (sub * sub)


def make_button(hot):
    w, h, r = 100, 26, 10
    cov_outer = rounded_coverage(w, h, r)
    cov_inner = np.zeros((h, w))
    cov_inner[1:h - 1, 1:w - 1] = rounded_coverage(w - 2, h - 2, r - 1)
    cov_core = np.zeros((h, w))
    cov_core[2:h - 2, 2:w - 2] = rounded_coverage(w - 4, h - 4, r - 2)

    if hot:
        body = gradient_rows(h, [(0, (128, 84, 40)), (0.48, (96, 58, 24)), (0.52, (80, 46, 18)), (1, (112, 70, 30))])
        rim, rim2 = np.array([255, 226, 140]), np.array([78, 44, 16])
        sheen = 0.22
    else:
        body = gradient_rows(h, [(0, (84, 58, 34)), (0.48, (58, 38, 22)), (0.52, (44, 28, 16)), (1, (64, 42, 24))])
        rim, rim2 = np.array([198, 160, 84]), np.array([30, 18, 10])
        sheen = 0.14
    img = np.repeat(body[:, None, :], w, axis=1)
    # Soft horizontal light across the middle.
    xs = np.linspace(-1, 1, w)
    img = img * (1 + 0.18 * (1 - xs ** 2))[None, :, None]
    # Sheen on the upper half.
    ys = np.arange(h)[:, None, None]
    img = img + (ys < h / 2) * (1 - ys / (h / 2)) * sheen * 255 * 0.4
    # Layers from outside in: gold rim, dark inner line, body.
    out = rim[None, None, :] * np.ones((h, w, 1))
    out = out * (1 - cov_inner[:, :, None]) + rim2[None, None, :] * cov_inner[:, :, None]
    out = out * (1 - cov_core[:, :, None]) + img * cov_core[:, :, None]
    # The rim's outer edge fades into the dark of the window instead of the transparent colour.
    edge_bg = np.array([14, 12, 20])
    out = out * cov_outer[:, :, None] + edge_bg * (1 - cov_outer[:, :, None])
    out = np.clip(out, 0, 255).astype(np.uint8)
    transparent = cov_outer < 0.5
    out[transparent] = MAGENTA
    return Image.fromarray(out, "RGB")


# ---------------------------------------------------------------- icon

def icon_master(n=512):
    s = n / 128.0
    img = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    c = n / 2
    d = ImageDraw.Draw(img)
    d.ellipse([c - 60 * s, c - 60 * s, c + 60 * s, c + 60 * s], fill=(10, 14, 32, 255))
    disc = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    dd = ImageDraw.Draw(disc)
    for k in range(30):
        rr = 56 * s * (1 - k / 36)
        v = int(16 + k * 1.7)
        dd.ellipse([c - rr, c - rr - k * s * 0.6, c + rr, c + rr - k * s * 0.6], fill=(v, v + 10, v + 40, 255))
    m = Image.new("L", (n, n), 0)
    ImageDraw.Draw(m).ellipse([c - 56 * s, c - 56 * s, c + 56 * s, c + 56 * s], fill=255)
    img.paste(disc, (0, 0), m)
    ring = Image.new("L", (n, n), 0)
    ImageDraw.Draw(ring).ellipse([c - 62 * s, c - 62 * s, c + 62 * s, c + 62 * s], outline=255, width=int(9 * s))
    img.alpha_composite(gold_fill(ring, int(c - 62 * s), int(c + 62 * s)))
    v = Image.new("L", (n, n), 0)
    ImageDraw.Draw(v).text((c, c + 6 * s), "V", font=ImageFont.truetype(SERIF_BOLD, int(92 * s)), fill=255,
                           anchor="mm")
    shadow = v.filter(ImageFilter.GaussianBlur(3 * s))
    sh = Image.new("RGBA", (n, n), (0, 0, 0, 0))
    sh.putalpha(shadow)
    img.alpha_composite(ImageChops.offset(sh, int(2 * s), int(3 * s)))
    img.alpha_composite(gold_fill(v, int(c - 36 * s), int(c + 44 * s)))
    return img


def bmp_icon_image(img):
    """One 32-bit icon image: BITMAPINFOHEADER (double height), BGRA rows bottom-up, then the AND mask."""
    w, h = img.size
    px = np.asarray(img)
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, w * h * 4, 0, 0, 0, 0)
    bgra = px[::-1, :, [2, 1, 0, 3]].tobytes()
    stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in px[::-1]:
        bits = bytearray(stride)
        for x in range(w):
            if row[x, 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bgra + bytes(mask)


def make_icon(path):
    master = icon_master()
    images = []
    for size in (16, 24, 32, 48, 64, 128):
        small = master.convert("RGBa").resize((size, size), Image.LANCZOS).convert("RGBA")
        if size <= 24:
            small = small.filter(ImageFilter.UnsharpMask(radius=0.6, percent=60, threshold=0))
        images.append((size, bmp_icon_image(small)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)
    return master


# ---------------------------------------------------------------- cursor

HAND = [
    "     ##          ",
    "    #oo#         ",
    "    #oo#         ",
    "    #oo#         ",
    "    #oo#         ",
    "    #oo###       ",
    "    #oo#oo###    ",
    "    #oo#oo#oo### ",
    "    #oo#oo#oo#oo#",
    " ## #oo#oo#oo#oo#",
    "#oo##ooooooooooo#",
    "#ooo#ooooooooooo#",
    " #oooooooooooooo#",
    " #oooooooooooooo#",
    "  #ooooooooooooo#",
    "  #oooooooooooo# ",
    "   #ooooooooooo# ",
    "   #oooooooooo#  ",
    "    #ooooooooo#  ",
    "    #ooooooooo#  ",
    "    ###########  ",
]
HOTSPOT = (5, 0)


def make_cursor(path):
    """Monochrome 32 x 32 cursor: '#' black, 'o' white, blank shows the screen."""
    size = 32
    stride = 4
    xor_rows, and_rows = [], []
    for y in range(size):
        line = HAND[y] if y < len(HAND) else ""
        xr, ar = bytearray(stride), bytearray(stride)
        for x in range(size):
            ch = line[x] if x < len(line) else " "
            if ch == " ":
                ar[x // 8] |= 0x80 >> (x % 8)
            elif ch == "o":
                xr[x // 8] |= 0x80 >> (x % 8)
        xor_rows.append(bytes(xr))
        and_rows.append(bytes(ar))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, size * stride * 2, 0, 0, 2, 2)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    data = header + palette + b"".join(reversed(xor_rows)) + b"".join(reversed(and_rows))
    out = struct.pack("<HHH", 0, 2, 1)
    out += struct.pack("<BBBBHHII", size, size, 2, 0, HOTSPOT[0], HOTSPOT[1], len(data), 22)
    with open(path, "wb") as f:
        f.write(out + data)


def cursor_preview():
    img = Image.new("RGB", (32, 32), (90, 110, 140))
    for y, line in enumerate(HAND):
        for x, ch in enumerate(line):
            if ch != " ":
                img.putpixel((x, y), (0, 0, 0) if ch == "#" else (255, 255, 255))
    return img.resize((128, 128), Image.NEAREST)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "res")
    preview = os.environ.get("ARTWORK_PREVIEW")  # a folder for PNG previews, when set
    os.makedirs(out, exist_ok=True)
    bg = make_background()
    save_jpeg(bg, os.path.join(out, "background.jpg"))
    normal, hot = make_button(False), make_button(True)
    normal.save(os.path.join(out, "button.bmp"))
    hot.save(os.path.join(out, "button_hot.bmp"))
    master = make_icon(os.path.join(out, "launcher.ico"))
    make_cursor(os.path.join(out, "hand.cur"))
    if preview:
        os.makedirs(preview, exist_ok=True)
        Image.open(os.path.join(out, "background.jpg")).save(os.path.join(preview, "background.png"))
        strip = Image.new("RGB", (230, 40), (14, 12, 20))
        strip.paste(normal, (10, 7))
        strip.paste(hot, (120, 7))
        strip.resize((690, 120), Image.NEAREST).save(os.path.join(preview, "buttons.png"))
        master.save(os.path.join(preview, "icon.png"))
        cursor_preview().save(os.path.join(preview, "cursor.png"))


if __name__ == "__main__":
    main()
