#!/usr/bin/env python3
"""Regenerate the images in this folder (program icon, mala picture, bead pictures).

Everything is drawn procedurally with fixed seeds, so every run gives the same
files. Run it with Debian's system interpreter and its python3-pil package:

    /usr/bin/python3 assets/make_assets.py
"""

import io
import math
import os
import random

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont, ImageOps

HERE = os.path.dirname(os.path.abspath(__file__))

TEAL = (0, 105, 136)
WHITE = (255, 255, 255)

# One wood colour shared by the mala and the bead pictures so they read as the
# same string.
WOOD = (172, 80, 38)
CORD = (128, 34, 30)

FONT_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"


# ---------------------------------------------------------------- colour helpers

def to_lin(c):
    return (c / 255.0) ** 2.2


def to_srgb(v):
    if v <= 0.0:
        return 0
    if v >= 1.0:
        return 255
    return int(round(255.0 * v ** (1 / 2.2)))


def norm(v):
    n = math.sqrt(sum(a * a for a in v))
    return tuple(a / n for a in v)


def jitter(rgb, rng, amount):
    """Small lightness and hue drift, like natural wood from different pieces."""
    k = 1.0 + rng.uniform(-amount, amount)
    warm = rng.uniform(-amount, amount) * 0.6
    r, g, b = rgb
    return (min(255, r * k * (1 + warm)), min(255, g * k), min(255, b * k * (1 - warm)))


# ---------------------------------------------------------------- sphere shader

LIGHT = norm((-0.50, -0.62, 0.62))   # upper left, in front
HALF = norm((LIGHT[0], LIGHT[1], LIGHT[2] + 1.0))
BOUNCE = norm((0.35, 0.85, 0.40))    # light reflected back from the surface below


def bead_sprite(diam, base, rng, grain=0.26, gloss=0.8, env=WHITE, env_amt=0.18,
                ambient=0.08):
    """A polished wooden sphere, shaded per pixel, on a transparent square.

    Shaded in linear light so the gradient from highlight to shadow looks like
    a photograph rather than a flat airbrush.
    """
    rad = diam / 2.0
    size = int(math.ceil(diam)) + 4
    c = size / 2.0
    albedo = [to_lin(v) for v in base]
    env_l = [to_lin(v) for v in env]
    # Random grain orientation so neighbouring beads do not look stamped.
    axis = norm((rng.uniform(-1, 1), rng.uniform(-1, 1), rng.uniform(-1, 1)))
    w1 = norm((rng.uniform(-1, 1), rng.uniform(-1, 1), rng.uniform(-1, 1)))
    w2 = norm((rng.uniform(-1, 1), rng.uniform(-1, 1), rng.uniform(-1, 1)))
    ph1, ph2 = rng.uniform(0, 6.3), rng.uniform(0, 6.3)
    freq = rng.uniform(3.0, 4.5)
    lx, ly, lz = LIGHT
    hx, hy, hz = HALF
    bx, by, bz = BOUNCE
    buf = bytearray(size * size * 4)
    i = 0
    for y in range(size):
        dy = (y + 0.5 - c) / rad
        for x in range(size):
            dx = (x + 0.5 - c) / rad
            rr = dx * dx + dy * dy
            a = rad - math.sqrt(rr) * rad + 0.5
            if a <= 0.0:
                i += 4
                continue
            if a > 1.0:
                a = 1.0
            if rr > 1.0:
                s = 1.0 / math.sqrt(rr)
                dx *= s
                dy *= s
                rr = 1.0
            nz = math.sqrt(1.0 - rr)
            ndl = dx * lx + dy * ly + nz * lz
            diff = (ndl + 0.15) / 1.15
            diff = diff * diff if diff > 0 else 0.0
            ndb = dx * bx + dy * by + nz * bz
            bounce = 0.12 * ndb if ndb > 0 else 0.0
            occl = 0.55 + 0.45 * nz
            t = (dx * axis[0] + dy * axis[1] + nz * axis[2]) * freq
            t += 0.30 * math.sin((dx * w1[0] + dy * w1[1] + nz * w1[2]) * 4.0 + ph1)
            t += 0.15 * math.sin((dx * w2[0] + dy * w2[1] + nz * w2[2]) * 9.0 + ph2)
            band = 0.5 + 0.5 * math.cos(6.2832 * t)
            fine = 0.5 + 0.5 * math.cos(6.2832 * t * 3.0 + 1.7 * math.sin(t * 5.0))
            gr = 1.0 - grain * (band ** 3) - 0.35 * grain * (fine ** 4)
            ndh = dx * hx + dy * hy + nz * hz
            specular = 0.0
            if ndh > 0:
                specular = gloss * (ndh ** 110) + 0.07 * gloss * (ndh ** 10)
            fres = (1.0 - nz) ** 3 * env_amt
            light = (1.05 * diff + bounce + ambient) * occl * gr
            out = []
            for k in range(3):
                v = albedo[k] * light + specular + fres * env_l[k] * (0.3 + 0.7 * max(0.0, -dy * 0.5 + 0.5))
                out.append(to_srgb(v))
            buf[i] = out[0]
            buf[i + 1] = out[1]
            buf[i + 2] = out[2]
            buf[i + 3] = int(round(a * 255))
            i += 4
    return Image.frombytes("RGBA", (size, size), bytes(buf))


def paste_centered(canvas, sprite, cx, cy):
    w, h = sprite.size
    canvas.alpha_composite(sprite, (int(round(cx - w / 2.0)), int(round(cy - h / 2.0))))


def soft_shadow(size, spots, blur, strength):
    """Greyscale mask of blurred ellipses, used to darken whatever lies below."""
    m = Image.new("L", size, 0)
    d = ImageDraw.Draw(m)
    for (x, y, rx, ry, v) in spots:
        d.ellipse((x - rx, y - ry, x + rx, y + ry), fill=int(255 * v))
    m = m.filter(ImageFilter.GaussianBlur(blur))
    return m.point(lambda p: int(p * strength))


def darken(img, mask, colour=(20, 12, 8)):
    dark = Image.new(img.mode, img.size, colour + ((255,) if img.mode == "RGBA" else ()))
    return Image.composite(dark, img, mask)


def cord_line(draw, pts, width, colour):
    """A twisted cord: base stroke, a lighter core and periodic twist marks."""
    draw.line(pts, fill=colour, width=int(round(width)), joint="curve")
    hi = tuple(min(255, int(v * 1.35 + 18)) for v in colour)
    dk = tuple(int(v * 0.6) for v in colour)
    # lighter core, nudged toward the light
    off = width * 0.18
    draw.line([(x - off * 0.3, y - off) for x, y in pts], fill=hi, width=max(1, int(width * 0.35)))
    # twist marks every ~ one cord width
    step = width * 1.1
    acc = 0.0
    for (x0, y0), (x1, y1) in zip(pts, pts[1:]):
        seg = math.hypot(x1 - x0, y1 - y0)
        if seg == 0:
            continue
        ux, uy = (x1 - x0) / seg, (y1 - y0) / seg
        px, py = -uy, ux
        while acc < seg:
            mx, my = x0 + ux * acc, y0 + uy * acc
            h = width * 0.45
            draw.line((mx - px * h - ux * h * 0.6, my - py * h - uy * h * 0.6,
                       mx + px * h + ux * h * 0.6, my + py * h + uy * h * 0.6),
                      fill=dk, width=max(1, int(width * 0.18)))
            acc += step
        acc -= seg


def check(img, size, name):
    assert img.size == size, "%s is %r, expected %r" % (name, img.size, size)


def save_picture(img, name, size, quality):
    """Saves a photo-like picture as binary PPM, which the program reads itself. It passes through JPEG at the given quality first: that softening is part of
    the pictures' look."""
    check(img, size, name)
    encoded = io.BytesIO()
    img.convert("RGB").save(encoded, "JPEG", quality=quality, subsampling=0, optimize=True)
    encoded.seek(0)
    with Image.open(encoded) as softened:
        softened.convert("RGB").save(os.path.join(HERE, name), optimize=True)


def down(img, size):
    return img.resize(size, Image.LANCZOS)


# ---------------------------------------------------------------- bead pictures

BEAD_D = 30.0       # bead diameter at 1x
PIC_H = 40


def bead_layout(n, width):
    """Bead centres (1x units) for n beads on a gently sagging cord."""
    if n == 1:
        return [(width / 2.0, 20.5)]
    margin = 1.0 + BEAD_D / 2.0
    xs = [margin + (width - 2 * margin) * i / (n - 1) for i in range(n)]
    if n == 2:
        return [(x, 20.5) for x in xs]
    return [(xs[0], 19.0), (xs[1], 21.5), (xs[2], 19.0)]


def bead_picture(n, width, scale):
    """n beads on a short cord, white background, drawn at `scale` x 1x."""
    W, H = int(width * scale), int(PIC_H * scale)
    img = Image.new("RGB", (W, H), WHITE)
    centres = [(x * scale, y * scale) for x, y in bead_layout(n, width)]
    r = BEAD_D * scale / 2.0
    # soft contact shadow on the white surface, offset away from the light
    spots = [(x + 0.10 * r, y + 0.55 * r, r * 0.85, r * 0.55, 1.0) for x, y in centres]
    img = darken(img, soft_shadow(img.size, spots, r * 0.35, 0.16), (90, 80, 70))
    # cord: enters from the left edge, runs through every bead, leaves on the right
    pts = [(-2 * scale, centres[0][1] - 1.2 * scale)] + centres + \
          [(W + 2 * scale, centres[-1][1] - 1.2 * scale)]
    dense = []
    for (x0, y0), (x1, y1) in zip(pts, pts[1:]):
        for k in range(12):
            t = k / 12.0
            dense.append((x0 + (x1 - x0) * t, y0 + (y1 - y0) * t))
    dense.append(pts[-1])
    d = ImageDraw.Draw(img)
    cord_line(d, dense, 1.6 * scale, CORD)
    # the same few bead sprites in every picture so bead 1 of three equals bead 1 of one
    sprites = [bead_sprite(BEAD_D * scale, jitter(WOOD, random.Random(7 + k), 0.03),
                           random.Random(31 + k), env=(250, 248, 244)) for k in range(3)]
    order = list(range(n))
    if n == 3:
        order = [0, 2, 1]       # the middle bead sits lowest, so nearest: draw it last
    layer = Image.new("RGBA", (W, H), (0, 0, 0, 0))
    for k in order:
        x, y = centres[k]
        if layer.getbbox():
            # a nearer bead shades the one it presses against
            occ = soft_shadow((W, H), [(x + 0.05 * r, y + 0.08 * r, r * 1.04, r * 1.04, 1.0)],
                              r * 0.14, 0.55)
            occ = ImageChops.multiply(occ, layer.getchannel("A"))
            rgb = darken(layer.convert("RGB"), occ, (30, 12, 6))
            rgb.putalpha(layer.getchannel("A"))
            layer = rgb
        paste_centered(layer, sprites[k], x, y)
    img = img.convert("RGBA")
    img.alpha_composite(layer)
    return img.convert("RGB")


def question_picture(width, scale):
    W, H = int(width * scale), int(PIC_H * scale)
    img = Image.new("RGB", (W, H), WHITE)
    d = ImageDraw.Draw(img)
    bw = max(1, int(round(scale * 1.0)))
    d.rectangle((0, 0, W - 1, H - 1), outline=(208, 208, 208), width=bw)
    glyph_h = 26 * scale
    if os.path.exists(FONT_BOLD):
        font = ImageFont.truetype(FONT_BOLD, int(glyph_h * 1.38))
        x0, y0, x1, y1 = d.textbbox((0, 0), "?", font=font)
        # centre the ink, not the advance box
        d.text(((W - (x1 - x0)) / 2.0 - x0, (H - (y1 - y0)) / 2.0 - y0), "?",
               font=font, fill=TEAL)
    else:
        # fallback: hook from an arc, a short stem and a dot
        cx, top = W / 2.0, (H - glyph_h) / 2.0
        rw = glyph_h * 0.30
        t = glyph_h * 0.14
        d.arc((cx - rw, top, cx + rw, top + 2 * rw), 200, 70, fill=TEAL, width=int(t))
        d.line((cx, top + 1.7 * rw, cx, top + glyph_h * 0.68), fill=TEAL, width=int(t))
        dr = t * 0.62
        cy = top + glyph_h - dr
        d.ellipse((cx - dr, cy - dr, cx + dr, cy + dr), fill=TEAL)
    return img


def make_bead_pictures():
    beads = [("bead1", 1, 41), ("bead2", 2, 59), ("bead3", 3, 78)]
    for name, n, w in beads:
        big = bead_picture(n, w, 8)
        save_picture(down(big, (w, PIC_H)), name + ".ppm", (w, PIC_H), 95)
        save_picture(down(big, (2 * w, 2 * PIC_H)), name + "@2x.ppm", (2 * w, 2 * PIC_H), 95)
    big = question_picture(41, 8)
    # the border must stay one crisp pixel wide at each size, so draw each size natively
    q1 = question_picture(41, 1)
    q2 = question_picture(41, 2)
    inner1 = down(big, (41, 40)).crop((1, 1, 40, 39))
    inner2 = down(big, (82, 80)).crop((2, 2, 80, 78))
    q1.paste(inner1, (1, 1))
    q2.paste(inner2, (2, 2))
    save_picture(q1, "question.ppm", (41, 40), 95)
    save_picture(q2, "question@2x.ppm", (82, 80), 95)


# ---------------------------------------------------------------- mala picture

def catmull_rom_closed(ctrl, per_seg=60):
    out = []
    n = len(ctrl)
    for i in range(n):
        p0, p1, p2, p3 = ctrl[i - 1], ctrl[i], ctrl[(i + 1) % n], ctrl[(i + 2) % n]
        for k in range(per_seg):
            t = k / float(per_seg)
            t2, t3 = t * t, t * t * t
            out.append(tuple(0.5 * ((2 * p1[j]) + (-p0[j] + p2[j]) * t +
                                    (2 * p0[j] - 5 * p1[j] + 4 * p2[j] - p3[j]) * t2 +
                                    (-p0[j] + 3 * p1[j] - 3 * p2[j] + p3[j]) * t3)
                             for j in range(2)))
    return out


def resample(path, spacing_count, start, end):
    """spacing_count points evenly spaced by arc length between start and end."""
    cum = [0.0]
    for (x0, y0), (x1, y1) in zip(path, path[1:] + path[:1]):
        cum.append(cum[-1] + math.hypot(x1 - x0, y1 - y0))
    out = []
    for k in range(spacing_count):
        s = start + (end - start) * k / (spacing_count - 1)
        j = 0
        while cum[j + 1] < s:
            j += 1
        t = (s - cum[j]) / (cum[j + 1] - cum[j])
        p0, p1 = path[j], path[(j + 1) % len(path)]
        out.append((p0[0] + (p1[0] - p0[0]) * t, p0[1] + (p1[1] - p0[1]) * t))
    return out, cum[-1]


def noise(size, sigma, seed):
    """Gaussian grey noise from a seeded Python RNG (reproducible everywhere)."""
    rng = random.Random(seed)
    n = size[0] * size[1]
    data = bytes(max(0, min(255, int(round(rng.gauss(128, sigma))))) for _ in range(n))
    return Image.frombytes("L", size, data)


def cloth(size, seed):
    """Soft linen: fine slubby threads both ways plus broad, gentle folds."""
    W, H = size
    # threads are short slubs, not full-length lines, or the cloth turns tartan
    rows = noise((W // 48, H // 4), 40, seed).resize((W, H), Image.BICUBIC)
    cols = noise((W // 4, H // 48), 40, seed + 1).resize((W, H), Image.BICUBIC)
    fine = noise((W // 3, H // 3), 30, seed + 2).resize((W, H), Image.BICUBIC)
    folds = noise((9, 8), 60, seed + 3).resize((W, H), Image.BICUBIC) \
        .filter(ImageFilter.GaussianBlur(W / 10.0))
    tex = Image.blend(Image.blend(rows, cols, 0.5), fine, 0.30)
    tex = Image.blend(tex, folds, 0.40)
    # vignette, as in a photo lit from the upper left
    vig = Image.radial_gradient("L").resize((W, H), Image.BICUBIC)
    vig = ImageChops.offset(vig, -int(W * 0.08), -int(H * 0.10))
    vig = ImageOps.invert(vig)
    tex = ImageChops.multiply(tex.point(lambda p: int(60 + p * 0.8)), vig.point(lambda p: int(150 + p * 0.41)))
    tex = ImageOps.autocontrast(tex, cutoff=0.5)
    return ImageOps.colorize(tex, black=(150, 132, 108), mid=(214, 200, 176), white=(244, 236, 220))


def tassel(img, top, bottom, cx, half_top, half_bottom, unit, rng, red=(132, 30, 30),
           n=70, bind=(1.8, 2.8, 0.5)):
    """Cord tassel: a wrapped binding, then a rounded fan of thin threads.

    `unit` is one 1x pixel of the mala picture, so jitter and thread width
    scale with the drawing; `bind` is binding half-width, height above `top`
    and overlap below it, in units.
    """
    d = ImageDraw.Draw(img)
    threads = []
    for k in range(n):
        f = (k + rng.uniform(-0.5, 0.5)) / (n - 1) * 2 - 1     # -1 .. 1 across the fan
        x0 = cx + f * half_top
        x1 = cx + f * half_bottom + rng.uniform(-0.35, 0.35) * unit
        # outer threads end higher, so the bottom is rounded and a little ragged
        y1 = bottom - f * f * 2.2 * unit + rng.uniform(-1.0, 0.3) * unit
        # round bundle lit from the upper left
        lam = 1.0 - ((f + 0.35) / 1.35) ** 2
        shade = 0.40 + 0.65 * max(0.0, lam) + rng.uniform(-0.2, 0.2)
        threads.append((rng.random(), x0, x1, y1, shade))
    threads.sort()
    for _, x0, x1, y1, shade in threads:
        col = tuple(max(0, min(255, int(v * shade))) for v in red) + (255,)
        bend = rng.uniform(-0.3, 0.3) * unit
        pts = []
        for j in range(9):
            t = j / 8.0
            pts.append((x0 + (x1 - x0) * (t ** 1.4) + bend * math.sin(t * 3.1416),
                        top + (y1 - top) * t))
        d.line(pts, fill=col, width=max(1, int(0.42 * unit)))
    # binding: a short wrapped cylinder, gold thread, lit from the left
    hw = bind[0] * unit
    bt, bb = top - bind[1] * unit, top + bind[2] * unit
    steps = max(2, int(2 * hw))
    for i in range(steps):
        u = i / float(steps - 1) * 2 - 1
        lam = max(0.0, 1.0 - ((u + 0.4) / 1.4) ** 2)
        k = 0.45 + 0.7 * lam
        x = cx - hw + i
        d.line((x, bt, x, bb), fill=(int(min(255, 190 * k)), int(min(255, 136 * k)), int(60 * k), 255))
    for j in range(1, 5):
        y = bt + (bb - bt) * j / 5.0
        d.line((cx - hw, y, cx + hw, y), fill=(96, 62, 24, 255), width=max(1, int(0.18 * unit)))


def make_mala():
    S = 8                    # drawn at 4x the @2x size
    W, H = 135, 112
    BW, BH = W * S, H * S
    img = cloth((BW, BH), 54).convert("RGBA")
    rng = random.Random(2108)

    guru = (66.5, 81.0)
    # hand-placed control points: a loosely dropped loop, lopsided like a real one
    ctrl = [guru,
            (55.0, 75.5), (36.0, 73.0), (18.0, 66.5), (8.5, 50.0), (9.5, 30.5),
            (19.5, 14.0), (40.0, 6.5), (64.0, 8.5), (86.0, 5.5), (109.0, 9.5),
            (124.0, 23.5), (127.0, 45.0), (118.5, 62.0), (98.0, 71.5), (78.0, 76.0)]
    path = catmull_rom_closed(ctrl)
    guru_d = 9.0
    n_beads = 54
    total = 0.0
    for (x0, y0), (x1, y1) in zip(path, path[1:] + path[:1]):
        total += math.hypot(x1 - x0, y1 - y0)
    # spacing so that the last bead sits as close to the guru as the first
    pitch = (total - guru_d) / (n_beads + 0.1)
    bead_d = pitch * 0.88          # a sliver of cord shows between beads
    gap = guru_d / 2 + bead_d / 2 + 0.05 * pitch
    beads, _ = resample(path, n_beads, gap, total - gap)
    # a real string never lies perfectly even: nudge each bead a hair
    jr = random.Random(541)
    beads = [(x + jr.uniform(-0.25, 0.25), y + jr.uniform(-0.25, 0.25)) for x, y in beads]

    # cast shadows (beads, guru bead, tassel)
    spots = [(x * S + 0.45 * S, y * S + 0.75 * S, bead_d * S * 0.5, bead_d * S * 0.47, 1.0) for x, y in beads]
    spots.append((guru[0] * S + 0.7 * S, guru[1] * S + 1.0 * S, guru_d * S * 0.5, guru_d * S * 0.48, 1.0))
    shadow = soft_shadow(img.size, spots, 0.9 * S, 0.55)
    tas = Image.new("L", img.size, 0)
    td = ImageDraw.Draw(tas)
    td.polygon([(guru[0] * S - 0.8 * S, 86 * S), (guru[0] * S + 2.8 * S, 86 * S),
                (guru[0] * S + 7.0 * S, 106 * S), (guru[0] * S - 3.2 * S, 106 * S)], fill=130)
    tas = tas.filter(ImageFilter.GaussianBlur(1.6 * S))
    shadow = ImageChops.lighter(shadow, tas)
    img = darken(img, shadow, (40, 26, 16))

    # cord under the beads, all the way round through the guru bead
    d = ImageDraw.Draw(img)
    cpath = [(x * S, y * S) for x, y in path] + [(path[0][0] * S, path[0][1] * S)]
    d.line(cpath, fill=CORD + (255,), width=int(0.95 * S), joint="curve")
    d.line([(x - 0.1 * S, y - 0.2 * S) for x, y in cpath], fill=(176, 72, 60, 255),
           width=int(0.3 * S), joint="curve")

    tassel(img, 88.5 * S, 108.0 * S, guru[0] * S + 0.3 * S, 1.5 * S, 5.4 * S, S, random.Random(9))

    for k, (x, y) in enumerate(beads):
        sp = bead_sprite(bead_d * S, jitter(WOOD, rng, 0.10), rng, grain=0.14,
                         gloss=0.7, env=(232, 222, 200), env_amt=0.18)
        paste_centered(img, sp, x * S, y * S)
    gsp = bead_sprite(guru_d * S, (140, 62, 32), random.Random(4),
                      grain=0.18, gloss=0.8, env=(232, 222, 200), env_amt=0.18)
    paste_centered(img, gsp, guru[0] * S, guru[1] * S)

    img = img.convert("RGB")
    save_picture(down(img, (W, H)), "mala.ppm", (W, H), 92)
    save_picture(down(img, (2 * W, 2 * H)), "mala@2x.ppm", (2 * W, 2 * H), 92)


# ---------------------------------------------------------------- icon

ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)
# The sizes the program gives its windows, read as it starts.
WINDOW_ICON_SIZES = (16, 24, 32, 48, 64)
ICON_WOOD = (204, 124, 66)
ICON_GURU = (186, 98, 50)
ICON_TASSEL = (222, 82, 56)
ICON_CORD = (236, 200, 150)


def icon_geometry(px):
    """Motif layout on a 1024 canvas; fewer, larger beads for the tiny sizes."""
    if px <= 16:
        return dict(n=7, ring=286, cy=404, bead=200, guru=250, tassel=(800, 964, 130, 250))
    if px <= 24:
        return dict(n=9, ring=290, cy=402, bead=172, guru=228, tassel=(790, 964, 116, 236))
    if px <= 32:
        return dict(n=12, ring=294, cy=400, bead=136, guru=206, tassel=(776, 962, 100, 224))
    if px <= 64:
        return dict(n=16, ring=298, cy=398, bead=106, guru=184, tassel=(766, 962, 92, 214))
    return dict(n=22, ring=302, cy=396, bead=80, guru=164, tassel=(756, 962, 84, 208))


def icon_bead_positions(g):
    """Beads round a circle, leaving the bottom slot for the guru bead."""
    cx, cy, r, n = 512.0, g["cy"], g["ring"], g["n"]
    # angular room the guru needs, then spread the rest evenly
    skip = (g["guru"] / 2.0 + g["bead"] / 2.0) / r * 1.02
    pos = []
    for k in range(n):
        a = skip + (2 * math.pi - 2 * skip) * k / (n - 1)
        # angle measured from straight down
        pos.append((cx + r * math.sin(a), cy + r * math.cos(a)))
    return pos, (cx, cy + r)


def draw_icon(px):
    N = 1024
    g = icon_geometry(px)
    img = Image.new("RGBA", (N, N), (0, 0, 0, 0))
    small = px <= 24
    # disc: teal with a gentle top-left light and a darker rim
    disc_mask = Image.new("L", (N, N), 0)
    ImageDraw.Draw(disc_mask).ellipse((8, 8, N - 8, N - 8), fill=255)
    grad = Image.radial_gradient("L").resize((N * 2, N * 2), Image.BICUBIC) \
        .crop((N // 2 - 230, N // 2 - 260, N // 2 - 230 + N, N // 2 - 260 + N))
    lit = tuple(min(255, int(v * 1.18 + 8)) for v in TEAL)
    deep = tuple(int(v * 0.80) for v in TEAL)
    if small:
        disc = Image.new("RGBA", (N, N), TEAL + (255,))
    else:
        disc = ImageOps.colorize(grad, black=lit, mid=TEAL, white=deep, midpoint=60).convert("RGBA")
    img.paste(disc, (0, 0), disc_mask)
    d = ImageDraw.Draw(img)
    rim_w = 26 if not small else 0
    if rim_w:
        d.ellipse((8, 8, N - 8, N - 8), outline=tuple(int(v * 0.62) for v in TEAL) + (255,), width=rim_w)

    beads, gpos = icon_bead_positions(g)
    # soft shadows of beads and tassel on the disc
    spots = [(x + 10, y + 16, g["bead"] * 0.5, g["bead"] * 0.48, 1.0) for x, y in beads]
    spots.append((gpos[0] + 10, gpos[1] + 16, g["guru"] * 0.5, g["guru"] * 0.48, 1.0))
    t0, t1, tw0, tw1 = g["tassel"]
    sh = soft_shadow((N, N), spots, 14, 0.55)
    tmask = Image.new("L", (N, N), 0)
    ImageDraw.Draw(tmask).polygon([(512 - tw0 / 2 + 14, t0 + 16), (512 + tw0 / 2 + 14, t0 + 16),
                                   (512 + tw1 / 2 + 14, t1 + 16), (512 - tw1 / 2 + 14, t1 + 16)], fill=130)
    sh = ImageChops.lighter(sh, tmask.filter(ImageFilter.GaussianBlur(14)))
    sh = ImageChops.multiply(sh, disc_mask)
    img = darken(img, sh, (0, 30, 40))
    d = ImageDraw.Draw(img)

    # cord round the ring
    cx, cy, r = 512, g["cy"], g["ring"]
    cw = 22 if small else 14
    d.ellipse((cx - r, cy - r, cx + r, cy + r), outline=ICON_CORD + (255,), width=cw)

    # tassel: binding then a flared fan of threads
    if small:
        top = gpos[1] + g["guru"] * 0.40
        d.polygon([(512 - tw0 / 2, t0), (512 + tw0 / 2, t0), (512 + tw1 / 2, t1), (512 - tw1 / 2, t1)],
                  fill=ICON_TASSEL + (255,))
        d.rectangle((512 - tw0 / 2 - 6, top, 512 + tw0 / 2 + 6, t0 + 8), fill=(230, 170, 80, 255))
    else:
        # binding tucks under the guru bead, threads start just below it
        g_bottom = gpos[1] + g["guru"] / 2.0
        t0 = g_bottom + 30
        unit = (t1 - t0) / 19.5
        tassel(img, t0, t1, 512, tw0 / 2 - 6, tw1 / 2, unit, random.Random(5), red=ICON_TASSEL,
               n=90, bind=(tw0 / 2 / unit, 44 / unit, 0.5))

    rng = random.Random(77)
    env = (60, 150, 170)
    for x, y in beads:
        sp = bead_sprite(g["bead"], jitter(ICON_WOOD, rng, 0.05), rng, grain=0.10 if not small else 0.0,
                         gloss=0.55, env=env, env_amt=0.30, ambient=0.16)
        paste_centered(img, sp, x, y)
    gs = bead_sprite(g["guru"], ICON_GURU, random.Random(11), grain=0.12 if not small else 0.0,
                     gloss=0.6, env=env, env_amt=0.30, ambient=0.16)
    paste_centered(img, gs, gpos[0], gpos[1])
    return img


def icon_svg():
    """The detailed icon motif as hand-built SVG, same geometry as the bitmaps."""
    g = icon_geometry(256)
    beads, gpos = icon_bead_positions(g)
    t0, t1, tw0, tw1 = g["tassel"]

    def f(v):
        return ("%.1f" % v).rstrip("0").rstrip(".")

    hexc = lambda c: "#%02x%02x%02x" % tuple(int(v) for v in c)
    out = []
    out.append('<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 1024 1024">')
    out.append('  <title>Tolvy Sarnavel</title>')
    out.append('  <defs>')
    out.append('    <radialGradient id="disc" cx="0.38" cy="0.34" r="0.75">')
    out.append('      <stop offset="0" stop-color="%s"/>' % hexc(tuple(min(255, v * 1.18 + 8) for v in TEAL)))
    out.append('      <stop offset="0.55" stop-color="%s"/>' % hexc(TEAL))
    out.append('      <stop offset="1" stop-color="%s"/>' % hexc(tuple(v * 0.8 for v in TEAL)))
    out.append('    </radialGradient>')
    for name, base in (("bead", ICON_WOOD), ("guru", ICON_GURU)):
        out.append('    <radialGradient id="%s" cx="0.5" cy="0.5" r="0.5" fx="0.34" fy="0.30">' % name)
        out.append('      <stop offset="0" stop-color="%s"/>' % hexc(tuple(min(255, v * 1.45 + 40) for v in base)))
        out.append('      <stop offset="0.25" stop-color="%s"/>' % hexc(base))
        out.append('      <stop offset="0.8" stop-color="%s"/>' % hexc(tuple(v * 0.55 for v in base)))
        out.append('      <stop offset="1" stop-color="%s"/>' % hexc(tuple(v * 0.35 for v in base)))
        out.append('    </radialGradient>')
    out.append('    <radialGradient id="gloss" cx="0.5" cy="0.5" r="0.5">')
    out.append('      <stop offset="0" stop-color="#ffffff" stop-opacity="0.85"/>')
    out.append('      <stop offset="1" stop-color="#ffffff" stop-opacity="0"/>')
    out.append('    </radialGradient>')
    out.append('    <linearGradient id="fan" x1="0" y1="0" x2="1" y2="0">')
    out.append('      <stop offset="0" stop-color="%s"/>' % hexc(tuple(min(255, v * 1.12) for v in ICON_TASSEL)))
    out.append('      <stop offset="1" stop-color="%s"/>' % hexc(tuple(v * 0.7 for v in ICON_TASSEL)))
    out.append('    </linearGradient>')
    out.append('    <linearGradient id="bind" x1="0" y1="0" x2="1" y2="0">')
    out.append('      <stop offset="0" stop-color="#8a6226"/>')
    out.append('      <stop offset="0.3" stop-color="#e6b04e"/>')
    out.append('      <stop offset="1" stop-color="#5a3c18"/>')
    out.append('    </linearGradient>')
    out.append('    <filter id="shadow" x="-20%" y="-20%" width="140%" height="140%">')
    out.append('      <feGaussianBlur stdDeviation="10"/>')
    out.append('    </filter>')
    out.append('  </defs>')
    out.append('  <circle cx="512" cy="512" r="504" fill="url(#disc)"/>')
    out.append('  <circle cx="512" cy="512" r="491" fill="none" stroke="%s" stroke-width="26"/>'
               % hexc(tuple(v * 0.62 for v in TEAL)))
    # shadows
    out.append('  <g fill="#001e28" fill-opacity="0.45" filter="url(#shadow)">')
    for x, y in beads:
        out.append('    <circle cx="%s" cy="%s" r="%s"/>' % (f(x + 10), f(y + 16), f(g["bead"] / 2)))
    out.append('    <circle cx="%s" cy="%s" r="%s"/>' % (f(gpos[0] + 10), f(gpos[1] + 16), f(g["guru"] / 2)))
    out.append('    <path d="M%s %sL%s %sL%s %sL%s %sZ"/>' % (
        f(512 - tw0 / 2 + 14), f(t0 + 16), f(512 + tw0 / 2 + 14), f(t0 + 16),
        f(512 + tw1 / 2 + 14), f(t1 + 16), f(512 - tw1 / 2 + 14), f(t1 + 16)))
    out.append('  </g>')
    cy, r = g["cy"], g["ring"]
    out.append('  <circle cx="512" cy="%s" r="%s" fill="none" stroke="%s" stroke-width="14"/>'
               % (f(cy), f(r), hexc(ICON_CORD)))
    # tassel: rounded fan of threads under a wrapped binding, as in the bitmaps
    g_bottom = gpos[1] + g["guru"] / 2.0
    t0 = g_bottom + 30
    unit = (t1 - t0) / 19.5
    ht, hb = tw0 / 2 - 6, tw1 / 2
    out.append('  <path d="M%s %sL%s %sL%s %sQ512 %s %s %sZ" fill="url(#fan)"/>' % (
        f(512 - ht), f(t0), f(512 + ht), f(t0), f(512 + hb), f(t1 - 2.2 * unit),
        f(t1 + 2.2 * unit), f(512 - hb), f(t1 - 2.2 * unit)))
    out.append('  <g stroke-width="4" stroke-linecap="round">')
    for k in range(21):
        fr = (k + 0.5) / 21.0 * 2 - 1
        x0 = 512 + fr * ht * 0.9
        x1 = 512 + fr * hb * 0.92
        y1 = t1 - fr * fr * 2.2 * unit - 0.6 * unit
        col = "#8c2418" if k % 2 else "#f08a66"
        out.append('    <line x1="%s" y1="%s" x2="%s" y2="%s" stroke="%s" stroke-opacity="0.6"/>'
                   % (f(x0), f(t0 + 6), f(x1), f(y1), col))
    out.append('  </g>')
    bt, bb = g_bottom - 14, t0 + 0.5 * unit
    out.append('  <rect x="%s" y="%s" width="%s" height="%s" fill="url(#bind)"/>' % (
        f(512 - tw0 / 2), f(bt), f(tw0), f(bb - bt)))
    out.append('  <g stroke="#603e18" stroke-width="3">')
    for j in range(1, 5):
        y = bt + (bb - bt) * j / 5.0
        out.append('    <line x1="%s" y1="%s" x2="%s" y2="%s"/>' % (f(512 - tw0 / 2), f(y), f(512 + tw0 / 2), f(y)))
    out.append('  </g>')
    # beads
    for x, y in beads:
        rr = g["bead"] / 2
        out.append('  <circle cx="%s" cy="%s" r="%s" fill="url(#bead)"/>' % (f(x), f(y), f(rr)))
        out.append('  <circle cx="%s" cy="%s" r="%s" fill="url(#gloss)"/>' % (f(x - rr * 0.36), f(y - rr * 0.42), f(rr * 0.28)))
    rr = g["guru"] / 2
    out.append('  <circle cx="%s" cy="%s" r="%s" fill="url(#guru)"/>' % (f(gpos[0]), f(gpos[1]), f(rr)))
    out.append('  <circle cx="%s" cy="%s" r="%s" fill="url(#gloss)"/>' % (
        f(gpos[0] - rr * 0.36), f(gpos[1] - rr * 0.42), f(rr * 0.28)))
    out.append('</svg>')
    return "\n".join(out) + "\n"


def save_pam(img, path):
    """The picture with its transparency as a binary PAM, which the program reads itself."""
    w, h = img.size
    header = "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" % (w, h)
    with open(path, "wb") as out:
        out.write(header.encode("ascii") + img.convert("RGBA").tobytes())


def make_icon():
    icons = []
    for px in ICON_SIZES:
        big = draw_icon(px)
        im = down(big, (px, px))
        if px <= 32:
            # a touch of sharpening keeps bead edges distinct after the big reduction
            im = im.filter(ImageFilter.UnsharpMask(radius=0.6, percent=60, threshold=0))
        check(im, (px, px), "icon-%d.png" % px)
        assert im.mode == "RGBA"
        im.save(os.path.join(HERE, "icon-%d.png" % px), optimize=True)
        if px in WINDOW_ICON_SIZES:
            save_pam(im, os.path.join(HERE, "icon-%d.pam" % px))
        icons.append(im)
    largest = icons[-1]
    largest.save(os.path.join(HERE, "tolvy-sarnavel.ico"), format="ICO",
                 sizes=[(s, s) for s in ICON_SIZES], append_images=icons[:-1])
    with open(os.path.join(HERE, "tolvy-sarnavel.svg"), "w", encoding="ascii") as fh:
        fh.write(icon_svg())


def verify():
    expect = {"mala.ppm": (135, 112), "mala@2x.ppm": (270, 224),
              "bead1.ppm": (41, 40), "bead2.ppm": (59, 40), "bead3.ppm": (78, 40),
              "question.ppm": (41, 40),
              "bead1@2x.ppm": (82, 80), "bead2@2x.ppm": (118, 80), "bead3@2x.ppm": (156, 80),
              "question@2x.ppm": (82, 80)}
    for px in ICON_SIZES:
        expect["icon-%d.png" % px] = (px, px)
    for px in WINDOW_ICON_SIZES:
        with Image.open(os.path.join(HERE, "icon-%d.png" % px)) as png, \
                open(os.path.join(HERE, "icon-%d.pam" % px), "rb") as pam:
            assert pam.read().endswith(png.tobytes()), px
    for name, size in expect.items():
        with Image.open(os.path.join(HERE, name)) as im:
            check(im, size, name)
    with Image.open(os.path.join(HERE, "tolvy-sarnavel.ico")) as ico:
        got = sorted(ico.info["sizes"])
        assert got == [(s, s) for s in ICON_SIZES], got


def main():
    make_icon()
    make_bead_pictures()
    make_mala()
    verify()


if __name__ == "__main__":
    main()
