#!/usr/bin/env python3
# Writes the font fuzzer's seed: a tiny TrueType font of our own (a notdef
# box, a space, "A", "V" and a holed "o", a format-4 cmap and a kern pair),
# small enough for the fuzzer to mutate quickly.
#   fuzz/make_font_seed.py fuzz/seeds/FontFileFuzz/tiny.ttf
import struct
import sys


def simple_glyph(contours):
    if not contours:
        return b""
    points = [p for c in contours for p in c]
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    out = struct.pack(">hhhhh", len(contours), min(xs), min(ys), max(xs), max(ys))
    end = -1
    for c in contours:
        end += len(c)
        out += struct.pack(">H", end)
    out += struct.pack(">H", 0)  # no instructions
    out += bytes([1] * len(points))  # on-curve, 16-bit deltas
    last = 0
    for x in xs:
        out += struct.pack(">h", x - last)
        last = x
    last = 0
    for y in ys:
        out += struct.pack(">h", y - last)
        last = y
    return out


def box(x0, y0, x1, y1):
    return [(x0, y0), (x0, y1), (x1, y1), (x1, y0)]


glyphs = [  # (advance, contours)
    (600, [box(50, 0, 550, 700), list(reversed(box(100, 50, 500, 650)))]),  # notdef
    (300, []),  # space
    (650, [[(0, 0), (325, 700), (650, 0)]]),  # A
    (650, [[(0, 700), (650, 700), (325, 0)]]),  # V
    (550, [box(50, 0, 500, 500), list(reversed(box(150, 100, 400, 400)))]),  # o
]
codes = {0x20: 1, 0x41: 2, 0x56: 3, 0x6F: 4}

glyf = b""
loca = []
for _, contours in glyphs:
    loca.append(len(glyf))
    data = simple_glyph(contours)
    glyf += data + b"\0" * ((4 - len(data) % 4) % 4)
loca.append(len(glyf))

head = struct.pack(">IIIIHHqqhhhhHHhhh", 0x00010000, 0x00010000, 0, 0x5F0F3CF5, 0x000B, 1000,
                   0, 0, 0, 0, 650, 700, 0, 8, 2, 1, 0)
hhea = struct.pack(">IhhhHhhhhhhhhhhhH", 0x00010000, 800, -200, 0, 650, 0, 0, 650, 1, 0, 0,
                   0, 0, 0, 0, 0, len(glyphs))
maxp = struct.pack(">IHHHHHHHHHHHHHH", 0x00010000, len(glyphs), 8, 2, 0, 0, 2, 0, 0, 0, 0, 64,
                   0, 0, 0)
hmtx = b"".join(struct.pack(">Hh", advance, 0) for advance, _ in glyphs)
locadata = b"".join(struct.pack(">I", o) for o in loca)

# cmap format 4: one segment per code plus the closing 0xFFFF segment.
segments = sorted(codes.items()) + [(0xFFFF, 0)]
segx2 = 2 * len(segments)
search = 2
while search * 2 <= len(segments):
    search *= 2
entry = search.bit_length() - 1
search *= 2
ends = b"".join(struct.pack(">H", c) for c, _ in segments)
starts = b"".join(struct.pack(">H", c) for c, _ in segments)
deltas = b"".join(struct.pack(">h", ((g - c) + 0x8000) % 0x10000 - 0x8000 if c != 0xFFFF else 1)
                  for c, g in segments)
offsets = b"\0\0" * len(segments)
body = ends + b"\0\0" + starts + deltas + offsets
sub = struct.pack(">HHHHHHH", 4, 14 + len(body), 0, segx2, search, entry, segx2 - search) + body
cmap = struct.pack(">HHHHI", 0, 1, 3, 1, 12) + sub

pairs = struct.pack(">HHh", 2, 3, -120)
kern_sub = struct.pack(">HHHHHHH", 0, 14 + len(pairs), 0x0001, 1, 6, 0, 0) + pairs
kern = struct.pack(">HH", 0, 1) + kern_sub

tables = {b"cmap": cmap, b"glyf": glyf, b"head": head, b"hhea": hhea, b"hmtx": hmtx,
          b"kern": kern, b"loca": locadata, b"maxp": maxp}


def checksum(data):
    data += b"\0" * ((4 - len(data) % 4) % 4)
    return sum(struct.unpack(">%dI" % (len(data) // 4), data)) & 0xFFFFFFFF


count = len(tables)
search = 1
while search * 2 <= count:
    search *= 2
out = struct.pack(">IHHHH", 0x00010000, count, search * 16, search.bit_length() - 1,
                  count * 16 - search * 16)
offset = 12 + 16 * count
blob = b""
for tag in sorted(tables):
    data = tables[tag]
    out += struct.pack(">4sIII", tag, checksum(data), offset + len(blob), len(data))
    blob += data + b"\0" * ((4 - len(data) % 4) % 4)
with open(sys.argv[1], "wb") as f:
    f.write(out + blob)
