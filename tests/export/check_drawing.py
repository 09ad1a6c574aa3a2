#!/usr/bin/python3
"""Checks a coaxial filter drawing: the DXF with ezdxf, the SVG sheet with rsvg-convert.

    check_drawing.py --dxf drawing.dxf --svg drawing.svg --json expected.json [--png drawing.png]
                     [--horizontal]

expected.json: {"sections": [{"x0", "x1", "d", "b"}, ...], "source": {"d", "b"}, "load": {"d", "b"}}
with x0/x1 the cumulative step positions in inches and d/b the diameters.

DXF: opens as R12 (AC1009) with no errors from ezdxf's recovery or audit; layers OUTLINE,
DIMENSIONS, TEXT, CENTER and PROFILE exist; only LINE and TEXT entities besides one closed POLYLINE
on PROFILE whose vertices are the centre conductor's profile from the cut list (datum A on the
axis, each section's D/2 from x0 to x1, the load-end face down to the axis); for each section the
OUTLINE layer
has a line at y = D/2 and one at y = B/2 from x0 to x1 (within 1e-4 inch), a step line wherever
the centre conductor changes diameter, and no step anywhere else along the filter; a text states
the unit. SVG: parses as XML, is a 297 x 210 mm sheet, no two texts overlap (their boxes measured
from the advance widths and glyph extents of the DejaVu Sans faces the renderer uses, found with
fontTools; a conservative estimate where those are missing), and it renders to a PNG of that size
that holds a drawing. With --horizontal every text reads from the bottom of the sheet (none is
turned), in the SVG and in the DXF alike.

Exit status: 0 passed, 1 failed, 77 ezdxf is missing, or the other checks passed but rsvg-convert
is missing.
"""
import argparse
import json
import os
import shutil
import struct
import subprocess
import sys
import xml.etree.ElementTree as ET

TOL = 1e-4
HORIZONTAL = False
failures = []


def fail(msg):
    failures.append(msg)


def check_dxf(path, expected):
    from ezdxf import recover

    doc, auditor = recover.readfile(path)
    if doc.dxfversion != "AC1009":
        fail("DXF version %s, expected AC1009" % doc.dxfversion)
    if auditor.has_errors:
        fail("recovery errors: %s" % [str(e.message) for e in auditor.errors][:5])
    audit = doc.audit()
    if audit.has_errors:
        fail("audit errors: %s" % [str(e.message) for e in audit.errors][:5])
    for name in ("OUTLINE", "DIMENSIONS", "TEXT", "CENTER", "PROFILE"):
        if name not in doc.layers:
            fail("layer %s missing" % name)
    msp = doc.modelspace()
    kinds = {e.dxftype() for e in msp}
    if not kinds <= {"LINE", "TEXT", "POLYLINE"}:
        fail("entities other than LINE, TEXT and POLYLINE: %s" % sorted(kinds - {"LINE", "TEXT", "POLYLINE"}))
    check_profile(msp, expected)

    lines = []
    for e in msp.query('LINE[layer=="OUTLINE"]'):
        s, t = e.dxf.start, e.dxf.end
        lines.append((s.x, s.y, t.x, t.y))
    horizontal = [(min(a, c), max(a, c), b) for a, b, c, d in lines if abs(b - d) < 1e-12]
    vertical = [(a, min(b, d), max(b, d)) for a, b, c, d in lines if abs(a - c) < 1e-12 and abs(b - d) > 1e-12]

    def has_h(x0, x1, y):
        return any(abs(h[0] - x0) <= TOL and abs(h[1] - x1) <= TOL and abs(h[2] - y) <= TOL for h in horizontal)

    def has_v(x, y0, y1):
        lo, hi = min(y0, y1), max(y0, y1)
        return any(abs(v[0] - x) <= TOL and abs(v[1] - lo) <= TOL and abs(v[2] - hi) <= TOL for v in vertical)

    secs = expected["sections"]
    for i, s in enumerate(secs, 1):
        if not has_h(s["x0"], s["x1"], s["d"] / 2):
            fail("section %d: no outline at D/2 = %.6f from %.6f to %.6f" % (i, s["d"] / 2, s["x0"], s["x1"]))
        if not has_h(s["x0"], s["x1"], s["b"] / 2):
            fail("section %d: no outline at B/2 = %.6f from %.6f to %.6f" % (i, s["b"] / 2, s["x0"], s["x1"]))
    inner = [expected["source"]["d"]] + [s["d"] for s in secs] + [expected["load"]["d"]]
    steps = [0.0] + [s["x1"] for s in secs]
    for j, x in enumerate(steps):
        if inner[j] != inner[j + 1] and not has_v(x, inner[j] / 2, inner[j + 1] / 2):
            fail("no centre conductor step at x = %.6f" % x)
    # Every vertical outline line within the filter stands on a step position.
    if secs:
        total = secs[-1]["x1"]
        for v in vertical:
            if -TOL <= v[0] <= total + TOL and not any(abs(v[0] - x) <= TOL for x in steps):
                fail("vertical outline line at x = %.6f is not at a step" % v[0])
    if HORIZONTAL:
        turned = [e.dxf.text for e in msp.query("TEXT") if abs(e.dxf.get("rotation", 0.0)) > 1e-9]
        if turned:
            fail("DXF texts turned: %s" % turned[:5])
    texts = [e.dxf.text for e in msp.query("TEXT")]
    if not any("inch" in t.lower() for t in texts):
        fail("no text states the unit")


def check_profile(msp, expected):
    polys = list(msp.query("POLYLINE"))
    if len(polys) != 1 or polys[0].dxf.layer != "PROFILE":
        fail("expected one POLYLINE, on layer PROFILE: %s" % [(p.dxf.layer) for p in polys])
        return
    poly = polys[0]
    if not poly.is_closed:
        fail("the profile polyline is not closed")
    got = [(v.dxf.location.x, v.dxf.location.y) for v in poly.vertices]
    want = [(0.0, 0.0)]
    for s in expected["sections"]:
        want += [(s["x0"], s["d"] / 2), (s["x1"], s["d"] / 2)]
    want.append((expected["sections"][-1]["x1"] if expected["sections"] else 0.0, 0.0))
    dedup = []
    for p in want:
        if not dedup or abs(dedup[-1][0] - p[0]) > 1e-12 or abs(dedup[-1][1] - p[1]) > 1e-12:
            dedup.append(p)
    if len(got) != len(dedup) or any(abs(a[0] - b[0]) > TOL or abs(a[1] - b[1]) > TOL for a, b in zip(got, dedup)):
        fail("profile vertices %s differ from the cut list %s" % (got[:6], dedup[:6]))


FONT_DIR = "/usr/share/fonts/truetype/dejavu/"


class Face:
    """Advance widths and glyph extents (in em) of a DejaVu Sans face, or None without fontTools."""

    def __init__(self, file):
        self.font = None
        try:
            from fontTools.ttLib import TTFont

            self.font = TTFont(FONT_DIR + file)
        except Exception:  # no fontTools or no font: estimates instead
            return
        self.upem = self.font["head"].unitsPerEm
        self.cmap = self.font.getBestCmap()
        self.hmtx = self.font["hmtx"]
        self.glyf = self.font["glyf"]

    def extent(self, text):
        """(advance, top, bottom) in em; top above the baseline, bottom below it (positive)."""
        if self.font is None:
            return 0.8 * len(text), 0.95, 0.30
        width, top, bottom = 0.0, 0.0, 0.0
        for ch in text:
            name = self.cmap.get(ord(ch))
            if name is None:  # another face would draw it: take a wide box
                width, top, bottom = width + 1.0, max(top, 0.95), max(bottom, 0.30)
                continue
            width += self.hmtx[name][0] / self.upem
            g = self.glyf[name]
            if g.numberOfContours != 0 and hasattr(g, "yMax"):
                top = max(top, g.yMax / self.upem)
                bottom = max(bottom, -g.yMin / self.upem)
        return width, top, bottom


FACES = {}


def face(bold):
    if bold not in FACES:
        FACES[bold] = Face("DejaVuSans-Bold.ttf" if bold else "DejaVuSans.ttf")
    return FACES[bold]


def text_boxes(root):
    """Each <text> as (text, x0, y0, x1, y1) on the sheet, mm."""
    import re

    ns = "{http://www.w3.org/2000/svg}"
    boxes = []
    for t in root.iter(ns + "text"):
        s = "".join(t.itertext())
        if not s:
            continue
        x, y, size = float(t.get("x")), float(t.get("y")), float(t.get("font-size"))
        w, top, bottom = face(t.get("font-weight") == "bold").extent(s)
        anchor = t.get("text-anchor", "start")
        u0 = {"start": 0.0, "middle": -w / 2, "end": -w}[anchor] * size
        u1 = u0 + w * size
        v0, v1 = -top * size, bottom * size  # SVG y grows downward
        corners = [(u0, v0), (u1, v0), (u0, v1), (u1, v1)]
        m = re.match(r"rotate\((-?[\d.]+) ([-\d.]+) ([-\d.]+)\)", t.get("transform", ""))
        if m:
            import math

            a = math.radians(float(m.group(1)))
            corners = [(u * math.cos(a) - v * math.sin(a), u * math.sin(a) + v * math.cos(a)) for u, v in corners]
        xs = [x + c[0] for c in corners]
        ys = [y + c[1] for c in corners]
        boxes.append((s, min(xs), min(ys), max(xs), max(ys)))
    return boxes


def check_text_overlap(root):
    boxes = text_boxes(root)
    gap = 0.05  # mm: boxes that only touch count as overlapping
    for i in range(len(boxes)):
        a = boxes[i]
        for b in boxes[i + 1 :]:
            if a[1] < b[3] + gap and b[1] < a[3] + gap and a[2] < b[4] + gap and b[2] < a[4] + gap:
                fail("texts overlap: %r at (%.2f, %.2f) and %r at (%.2f, %.2f)" % (a[0], a[1], a[2], b[0], b[1], b[2]))


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    return struct.unpack(">II", head[16:24])


def check_svg(path, png):
    root = ET.parse(path).getroot()
    if root.get("width") != "297mm" or root.get("height") != "210mm" or root.get("viewBox") != "0 0 297 210":
        fail("SVG is not a landscape A4 sheet in mm")
    check_text_overlap(root)
    if HORIZONTAL:
        turned = ["".join(t.itertext()) for t in root.iter("{http://www.w3.org/2000/svg}text") if t.get("transform")]
        if turned:
            fail("SVG texts turned: %s" % turned[:5])
    if png is None:
        return
    subprocess.run(["rsvg-convert", "-o", png, path], check=True)
    w, h = png_size(png)
    # rsvg-convert renders at 96 dpi: 297 x 210 mm is 1122.5 x 793.7 px.
    if abs(w - 1122.5) > 1 or abs(h - 793.7) > 1:
        fail("rendered sheet is %dx%d px" % (w, h))
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    from check_plot import read_png

    w, h, pixel = read_png(png)
    dark = sum(1 for y in range(0, h, 2) for x in range(0, w, 2) if sum(pixel(x, y)[:3]) < 200)
    if dark < 2000:
        fail("rendered sheet is nearly empty (%d dark pixels in a quarter sample)" % dark)
    big = png[:-4] + "_200dpi.png"
    subprocess.run(["rsvg-convert", "-d", "200", "-p", "200", "-o", big, path], check=True)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--dxf", required=True)
    ap.add_argument("--svg", required=True)
    ap.add_argument("--json", required=True)
    ap.add_argument("--png")
    ap.add_argument("--horizontal", action="store_true")
    args = ap.parse_args()
    global HORIZONTAL
    HORIZONTAL = args.horizontal
    try:
        import ezdxf  # noqa: F401
    except ImportError:
        print("python3-ezdxf is not installed")
        return 77
    render = args.png and shutil.which("rsvg-convert") is not None
    with open(args.json, encoding="utf-8") as f:
        expected = json.load(f)
    check_dxf(args.dxf, expected)
    check_svg(args.svg, args.png if render else None)
    for msg in failures[:40]:
        print("FAIL:", msg)
    print("check_drawing: %d problem(s)" % len(failures))
    if failures:
        return 1
    if args.png and not render:
        print("rsvg-convert not found (Debian package librsvg2-bin): the sheet was not rendered")
        return 77
    return 0


if __name__ == "__main__":
    sys.exit(main())
