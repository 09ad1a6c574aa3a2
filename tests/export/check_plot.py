#!/usr/bin/python3
"""Checks a response plot SVG against the sweep it was drawn from.

    check_plot.py --svg plot.svg --csv expected.csv [--png plot.png]

expected.csv: a header line, then f_mhz,loss_db,delay_ns[,return_loss_db] per sweep row, in sweep
order ("nan", "inf", "-inf" allowed).

Checks: the SVG parses as XML with a fixed width/height and viewBox; every point of the loss,
return-loss and delay curves maps back through its panel's data-* axis attributes to the expected
row within one pixel (values beyond the axis range on the axis edge); every row with a finite
frequency and value is drawn exactly once and no other row is; rsvg-convert renders it to a PNG of
the declared size that shows each curve's colour.

Exit status: 0 passed, 1 failed, 77 the other checks passed but rsvg-convert is missing.
"""
import argparse
import math
import shutil
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET
import zlib

SVG = "{http://www.w3.org/2000/svg}"
CURVES = {  # class -> (panel id, CSV column, colour)
    "loss": ("response-panel", "loss_db", (0x1F, 0x4E, 0x9C)),
    "return-loss": ("response-panel", "return_loss_db", (0xC0, 0x39, 0x2B)),
    "delay": ("delay-panel", "delay_ns", (0x1B, 0x7A, 0x3D)),
}

failures = []


def fail(msg):
    failures.append(msg)


def read_csv(path):
    with open(path, encoding="utf-8") as f:
        lines = [ln.strip() for ln in f if ln.strip()]
    head = lines[0].split(",")
    return [dict(zip(head, (float(v) for v in ln.split(",")))) for ln in lines[1:]]


def read_png(path):
    """Width, height and a function (x, y) -> (r, g, b, a) for an 8-bit RGB(A) PNG."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, idat = 8, b""
    width = height = ctype = None
    while pos < len(data):
        (length,) = struct.unpack(">I", data[pos:pos + 4])
        kind = data[pos + 4:pos + 8]
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if depth != 8 or ctype not in (2, 6) or interlace:
                raise ValueError("unsupported PNG layout")
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    bpp = 4 if ctype == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, prev, i = [], bytearray(stride), 0
    for _ in range(height):
        ftype = raw[i]
        line = bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        if ftype == 1:
            for x in range(bpp, stride):
                line[x] = (line[x] + line[x - bpp]) & 0xFF
        elif ftype == 2:
            for x in range(stride):
                line[x] = (line[x] + prev[x]) & 0xFF
        elif ftype == 3:
            for x in range(stride):
                left = line[x - bpp] if x >= bpp else 0
                line[x] = (line[x] + ((left + prev[x]) >> 1)) & 0xFF
        elif ftype == 4:
            for x in range(stride):
                a = line[x - bpp] if x >= bpp else 0
                b = prev[x]
                c = prev[x - bpp] if x >= bpp else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[x] = (line[x] + pred) & 0xFF
        rows.append(line)
        prev = line

    def pixel(x, y):
        px = rows[y][x * bpp:(x + 1) * bpp]
        return tuple(px) if bpp == 4 else tuple(px) + (255,)

    return width, height, pixel


def panel_axes(root):
    axes = {}
    for g in root.iter(SVG + "g"):
        if g.get("class") == "panel":
            a = {k: float(g.get("data-" + k)) for k in ("x0", "x1", "px0", "px1", "y0", "y1", "py0", "py1")}
            if not (a["x1"] > a["x0"] and a["y1"] > a["y0"]):
                fail("panel %s has an empty axis range" % g.get("id"))
            axes[g.get("id")] = a
    return axes


def to_pixel(a, f, v):
    x = a["px0"] + (f - a["x0"]) / (a["x1"] - a["x0"]) * (a["px1"] - a["px0"])
    v = min(max(v, a["y0"]), a["y1"])  # -inf and off-scale values sit on the axis edge
    y = a["py0"] + (v - a["y0"]) / (a["y1"] - a["y0"]) * (a["py1"] - a["py0"])
    return x, y


def drawn(value, cls):
    return math.isfinite(value) or (cls == "return-loss" and value == -math.inf)


def check_curves(root, rows):
    axes = panel_axes(root)
    for cls, (panel, column, _) in CURVES.items():
        if rows and column not in rows[0]:
            continue
        a = axes.get(panel)
        if a is None:
            fail("no panel " + panel)
            continue
        seen = []
        for el in root.iter():
            if el.get("class") != cls:
                continue
            if el.tag == SVG + "polyline":
                first = int(el.get("data-first-row"))
                pts = [tuple(map(float, p.split(","))) for p in el.get("points").split()]
                if len(pts) < 2:
                    fail("%s polyline with fewer than two points" % cls)
                items = [(first + j, p) for j, p in enumerate(pts)]
            elif el.tag == SVG + "circle":
                items = [(int(el.get("data-row")), (float(el.get("cx")), float(el.get("cy"))))]
            else:
                continue
            for row, (x, y) in items:
                seen.append(row)
                if row >= len(rows):
                    fail("%s point for row %d beyond the sweep" % (cls, row))
                    continue
                f, v = rows[row]["f_mhz"], rows[row][column]
                if not (math.isfinite(f) and drawn(v, cls)):
                    fail("%s: row %d is not finite but drawn" % (cls, row))
                    continue
                ex, ey = to_pixel(a, f, v)
                if abs(ex - x) > 1.0 or abs(ey - y) > 1.0:
                    fail("%s row %d at (%.2f, %.2f), expected (%.2f, %.2f)" % (cls, row, x, y, ex, ey))
        want = [i for i, r in enumerate(rows) if math.isfinite(r["f_mhz"]) and drawn(r[column], cls)]
        if sorted(seen) != want:
            fail("%s: rows drawn %s, expected %s" % (cls, sorted(seen)[:20], want[:20]))


def check_png(root, svg_path, png_path, width, height, rows):
    """Renders the SVG; each curve's colour must show inside its own panel (not just the legend)."""
    if png_path is None:
        return
    axes = panel_axes(root)
    subprocess.run(["rsvg-convert", "-o", png_path, svg_path], check=True)
    w, h, pixel = read_png(png_path)
    if (w, h) != (width, height):
        fail("PNG is %dx%d, expected %dx%d" % (w, h, width, height))
        return
    counts = {cls: 0 for cls in CURVES}
    for cls, (panel, _, col) in CURVES.items():
        a = axes.get(panel)
        if a is None:
            continue
        for y in range(int(a["py1"]), int(a["py0"]) + 1):
            for x in range(int(a["px0"]), int(a["px1"]) + 1):
                r, g, b, _ = pixel(x, y)
                if abs(r - col[0]) + abs(g - col[1]) + abs(b - col[2]) < 60:
                    counts[cls] += 1
    need = 20 if len(rows) > 1 else 10  # a one-point sweep draws only a marker
    for cls, n in counts.items():
        if n < need:
            fail("rendered plot shows %d pixels of the %s colour" % (n, cls))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--svg", required=True)
    ap.add_argument("--csv", required=True)
    ap.add_argument("--png")
    args = ap.parse_args()
    render = args.png and shutil.which("rsvg-convert") is not None
    root = ET.parse(args.svg).getroot()
    if root.tag != SVG + "svg":
        fail("root element is not svg")
    width, height = int(root.get("width")), int(root.get("height"))
    if root.get("viewBox") != "0 0 %d %d" % (width, height):
        fail("viewBox does not match the size")
    rows = read_csv(args.csv)
    check_curves(root, rows)
    check_png(root, args.svg, args.png if render else None, width, height, rows)
    for msg in failures[:40]:
        print("FAIL:", msg)
    print("check_plot: %d problem(s)" % len(failures))
    if failures:
        return 1
    if args.png and not render:
        print("rsvg-convert not found (Debian package librsvg2-bin): the plot was not rendered")
        return 77
    return 0


if __name__ == "__main__":
    sys.exit(main())
