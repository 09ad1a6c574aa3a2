# ---------------------------------------------------------------------------------------------
# The model. Everything below is the same for every filter; the data above describe this one.
#
# Geometry: the filter is a body of revolution (stepped centre conductor inside a bore), and the
# TEM wave that feeds it is rotationally symmetric, so the field is independent of the angle: the
# steps excite only the symmetric TM0n modes, never TE11 or another mode with an angular
# variation. A wedge of the cylindrical mesh (r, angle, z) bounded by magnetic walls (PMC, on which
# the tangential H of a symmetric field is zero anyway) is therefore an exact model of the whole
# filter, and much smaller than a full 3D one.
#
# Units: millimetres in the mesh, inches in the data. Conductors are perfect (PEC), the
# dielectric lossless: the result is the filter's field solution without conductor or
# dielectric loss.
#
# Ports: a TEM excitation (E_r ~ 1/r) on a pair of planes in the source line; a voltage probe
# (line integral of E_r from the centre conductor to the bore) and a current probe (loop of H
# around the centre conductor) at a plane in the source line and another in the load line; both
# lines end in an absorbing layer. The waves at the probe planes are moved to the filter's end faces
# by the lines' propagation (TEM, velocity c/sqrt(Er)), so the reference planes are the end faces
# of sections 1 and N, as in the program's analysis.
# ---------------------------------------------------------------------------------------------

import argparse
import contextlib
import ctypes
import math
import os
import shutil
import sys
import tempfile
import time

import numpy as np

C0 = 299792458.0  # speed of light, m/s
MM_PER_INCH = 25.4
PML_CELLS = 8

# Mesh resolutions (coarse for a quick check, fine for the result, finest to see that fine has
# converged): cells across the narrowest radial gap, the largest growth of one cell over
# its neighbour, and the largest cell in wavelengths at the highest frequency of the sweep.
RESOLUTIONS = {
    "coarse": {"gap_cells": 3, "growth": 1.5, "per_wavelength": 15},
    "fine": {"gap_cells": 6, "growth": 1.3, "per_wavelength": 30},
    "finest": {"gap_cells": 12, "growth": 1.2, "per_wavelength": 40},
}
WEDGE_CELLS = 4  # cells across the wedge (the field does not vary with the angle)
# The run lasts the pulse, the way through the model and back, and RING_DELAYS times the largest
# group delay of the filter (estimated from its ideal lines): the ringing of the filter's slowest
# pole decays as exp(-t / tau) with tau at most that delay, so it has fallen below 1e-5 by then.
# A fixed number of time steps makes the result the same from run to run; the solver's own
# energy criterion is checked on a wall-clock interval, so where it stops varies.
RING_DELAYS = 12
MAX_CELLS = 20_000_000  # beyond this a run would take days: a sign of dimensions out of scale
# CSXCAD writes the coordinates of primitives to its XML with 7 significant digits, and mesh lines
# with more. A zero-thickness primitive (an excitation or a probe plane) that is not on a mesh line
# at those 7 digits is dropped without an error, and a box edge a hair off its line can take the
# cells on the other side. Every coordinate of the model, mesh lines included, is therefore
# rounded to XML_DIGITS significant digits first: the XML then holds exactly what the mesh holds.
XML_DIGITS = 6
# What openEMS prints when it drops a primitive that lies on no mesh line.
DROPPED_PRIMITIVE = "Unused primitive"


class ModelError(Exception):
    pass


def snap(x):
    """x (a number or an array) rounded to XML_DIGITS significant digits."""
    if np.ndim(x):
        return np.array([snap(v) for v in np.asarray(x, dtype=float)])
    return float("%.*g" % (XML_DIGITS, x))


def snapped_lines(lines):
    """Mesh lines rounded as the XML keeps them; an error if two of them then coincide."""
    out = np.unique(snap(lines))
    if len(out) != len(lines):
        raise ModelError("mesh lines closer than %d significant digits can hold" % XML_DIGITS)
    return out


@contextlib.contextmanager
def solver_output(path):
    """Sends what the solver's C++ core prints (to the process's own stdout and stderr, which
    Python cannot catch) to the file `path` while the block runs."""
    libc = ctypes.CDLL(None)
    sys.stdout.flush()
    sys.stderr.flush()
    saved = os.dup(1), os.dup(2)
    with open(path, "w") as f:
        os.dup2(f.fileno(), 1)
        os.dup2(f.fileno(), 2)
    try:
        yield
    finally:
        libc.fflush(None)
        os.dup2(saved[0], 1)
        os.dup2(saved[1], 2)
        os.close(saved[0])
        os.close(saved[1])


def dropped_primitives(solver_log):
    """The solver's warnings of primitives it dropped (on no mesh line), one text each."""
    return [line.strip() for line in solver_log.splitlines() if DROPPED_PRIMITIVE in line]


def graded_lines(fixed, h_min, h_max, growth):
    """Mesh lines through every fixed coordinate: cells of h_min at each of them growing by at
    most `growth` per cell to h_max in between."""
    fixed = np.unique(np.asarray(fixed, dtype=float))
    lines = [fixed[0]]
    for a, b in zip(fixed[:-1], fixed[1:]):
        # The target cell size at x: the smaller of the grading from a and from b.
        x = np.linspace(a, b, 2001)
        d = np.minimum(x - a, b - x)
        h = np.minimum(h_max, h_min + (growth - 1.0) * d)
        density = np.concatenate(([0.0], np.cumsum(0.5 * (1 / h[1:] + 1 / h[:-1]) * np.diff(x))))
        n = max(1, int(math.ceil(density[-1] - 1e-9)))
        targets = np.linspace(0, density[-1], n + 1)[1:]
        lines.extend(np.interp(targets, density, x))
        lines[-1] = b
    return np.array(lines)


def mm(inches):
    return snap(inches * MM_PER_INCH)


def model_lines(model):
    """The lines source to load: (inner radius, outer radius, Er, Zo, length) in mm."""
    def radius(d_in):
        return snap(mm(d_in) / 2)

    out = [(radius(model["source"]["inner_in"]), radius(model["source"]["outer_in"]),
            model["source"]["er"], model["source"]["zo"], 0.0)]
    for s in model["sections"]:
        out.append((radius(s["inner_in"]), radius(s["outer_in"]), s["er"], s["zo"],
                    mm(s["length_in"])))
    out.append((radius(model["load"]["inner_in"]), radius(model["load"]["outer_in"]),
                model["load"]["er"], model["load"]["zo"], 0.0))
    return out


def line_zo(inner, outer, er):
    """Characteristic impedance of the ideal coaxial line, ohm."""
    return 59.95849 / math.sqrt(er) * math.log(outer / inner)


def largest_delay(lines, f_max):
    """The largest group delay (s) up to f_max of the ideal lines between the end lines' own
    impedances: the chain matrices of the sections without their step capacitances."""
    f = np.linspace(f_max / 4000, f_max, 4000)
    a, b, c, d = (np.ones_like(f, dtype=complex), np.zeros_like(f, dtype=complex),
                  np.zeros_like(f, dtype=complex), np.ones_like(f, dtype=complex))
    for inner, outer, er, _, length in lines[1:-1]:
        zo = line_zo(inner, outer, er)
        theta = 2 * np.pi * f * math.sqrt(er) / C0 * length * 1e-3
        ca, sb = np.cos(theta), 1j * np.sin(theta)
        a, b, c, d = (a * ca + b * sb / zo, a * sb * zo + b * ca,
                      c * ca + d * sb / zo, c * sb * zo + d * ca)
    zs = line_zo(*lines[0][:3])
    zl = line_zo(*lines[-1][:3])
    s21 = 2 * math.sqrt(zs * zl) / (a * zl + b + c * zs * zl + d * zs)
    phase = np.unwrap(np.angle(s21))
    return float(max(0.0, np.max(-np.diff(phase) / np.diff(2 * np.pi * f))))


def simulate(lines, freqs_hz, resolution, threads, workdir, log):
    """One run with the excitation in the first line; the S-parameters S11 and S21 at the end
    faces, referred to the end lines' own impedances, and a description of the mesh."""
    from CSXCAD import ContinuousStructure
    from openEMS import openEMS

    res = RESOLUTIONS[resolution]
    f_max = max(freqs_hz)
    src, ld, sections = lines[0], lines[-1], lines[1:-1]
    faces = snap(np.concatenate(([0.0], np.cumsum([s[4] for s in sections]))))
    length = faces[-1]

    inner = [l[0] for l in lines]
    outer = [l[1] for l in lines]
    gap = min(o - i for i, o, *_ in lines)
    h_min = snap(gap / res["gap_cells"])
    er_max = max(l[2] for l in lines)
    h_max = C0 / f_max / math.sqrt(er_max) * 1e3 / res["per_wavelength"]
    h_max = max(h_max, h_min)
    growth = res["growth"]

    # Radially: from two cells inside the thinnest centre conductor to two cells inside the
    # widest bore wall, the metal filled in line by line.
    r_lo = snap(min(inner) - 2 * h_min)
    if r_lo <= 0.2 * min(inner):
        r_lo = snap(0.5 * min(inner))
    r_hi = snap(max(outer) + 2 * h_min)
    r_lines = snapped_lines(graded_lines([r_lo, r_hi] + inner + outer, h_min, h_max, growth))

    # The wedge: wide enough that its cells at the smallest radius are no narrower than h_min (the
    # angle does not matter to the symmetric field; a narrow cell would only shorten the time
    # step).
    wedge = snap(min(math.pi / 2, WEDGE_CELLS * h_min / r_lo))
    a_lines = snapped_lines(np.linspace(-wedge / 2, wedge / 2, WEDGE_CELLS + 1))

    # Along the axis: each end line carries, from the outside in, the absorbing layer, a gap, the
    # excitation (source only), a gap and the probe plane, then a distance to the end face where
    # the symmetric evanescent modes of the step have died away (TM01 decays as exp(-pi z/gap)).
    # The excitation is a pair of planes of opposite sign half a wavelength at the highest
    # frequency apart: the wave they send toward the filter holds no DC, which would otherwise
    # leave a static charge on the centre conductor that no absorbing layer removes.
    def port_plan(line):
        g = line[1] - line[0]
        return {"face_to_probe": 4 * g, "probe_to_exc": 2 * g, "exc_to_end": 2 * g}

    ps, pl = port_plan(src), port_plan(ld)
    z_probe1 = snap(-ps["face_to_probe"])
    z_exc = snap(z_probe1 - ps["probe_to_exc"])
    z_probe2 = snap(length + pl["face_to_probe"])
    z_exc_back = snap(z_exc - C0 / math.sqrt(src[2]) / (2 * f_max) * 1e3)
    z_lo = snap(z_exc_back - ps["exc_to_end"] - PML_CELLS * h_max)
    z_hi = snap(z_probe2 + pl["probe_to_exc"] + pl["exc_to_end"] + PML_CELLS * h_max)
    # The probes sit between two lines half a fine cell either side of their plane: the voltage
    # is the mean of the two planes' voltages, the current is taken on the plane itself (the
    # magnetic field lies half a cell off the electric).
    hp = h_min
    planes = {name: (snap(zp - hp / 2), snap(zp + hp / 2))
              for name, zp in (("1", z_probe1), ("2", z_probe2))}
    z_fixed = [z_lo, z_hi, z_exc_back, z_exc] + [z for pair in planes.values() for z in pair] + \
        list(faces)
    z_lines = snapped_lines(graded_lines(z_fixed, h_min, h_max, growth))
    cells = (len(r_lines) - 1, len(a_lines) - 1, len(z_lines) - 1)
    if cells[0] * cells[1] * cells[2] > MAX_CELLS:
        raise ModelError("the %s mesh would need %d x %d x %d cells, more than %d"
                         % ((resolution,) + cells + (MAX_CELLS,)))

    CSX = ContinuousStructure(CoordSystem=1)
    grid = CSX.GetGrid()
    grid.SetDeltaUnit(1e-3)
    grid.SetLines("r", r_lines)
    grid.SetLines("a", a_lines)
    grid.SetLines("z", z_lines)

    metal = CSX.AddMetal("conductors")
    spans = [(z_lo, 0.0)] + [(faces[j], faces[j + 1]) for j in range(len(sections))] + \
        [(length, z_hi)]
    for (z0, z1), line in zip(spans, lines):
        a0, a1 = -wedge, wedge
        metal.AddBox([r_lo, a0, z0], [line[0], a1, z1], priority=10)
        if line[1] < r_hi:
            metal.AddBox([line[1], a0, z0], [r_hi, a1, z1], priority=10)
        if line[2] != 1.0:
            diel = CSX.AddMaterial("dielectric_%g_%g" % (z0, z1), epsilon=line[2])
            diel.AddBox([r_lo, a0, z0], [r_hi, a1, z1], priority=5)

    for name, sign, z in (("excitation", 1, z_exc), ("excitation_back", -1, z_exc_back)):
        exc = CSX.AddExcitation(name, exc_type=0, exc_val=[sign, 0, 0])
        exc.SetWeightFunction(["1/rho", "0", "0"])  # the TEM field: E_r ~ 1/r
        exc.AddBox([src[0], -wedge, z], [src[1], wedge, z])

    # Probe boxes start one cell inside the walls and the centre conductor: a box on a wall or
    # on the metal's surface reads nothing.
    a_in0, a_in1 = a_lines[1], a_lines[-2]
    probes = {}
    for name, line, zp in (("1", src, z_probe1), ("2", ld, z_probe2)):
        r_in = r_lines[r_lines < line[0] - 1e-9][-1]  # one line inside the centre conductor
        r_mid = r_lines[np.argmin(abs(r_lines - 0.5 * (line[0] + line[1])))]
        for side, z in zip("ab", planes[name]):
            p = CSX.AddProbe("u%s%s" % (name, side), p_type=0)
            p.AddBox([line[0], 0.0, z], [line[1], 0.0, z])
        p = CSX.AddProbe("i" + name, p_type=1, norm_dir=2)
        p.AddBox([r_in, a_in0, zp], [r_mid, a_in1, zp])
        probes[name] = (line, zp)
    # The loop runs on the magnetic field's own (dual) lines, half a cell outside the box's
    # angles: it encloses the current of one cell more than the box spans.
    span = a_in1 - a_in0 + (a_lines[1] - a_lines[0])
    current_scale = 2 * math.pi / span

    # The time step the solver will take (the Courant limit of the smallest cell, with the
    # angular width r x angle at its smallest radius), and from it the number of steps.
    dr, dz = np.diff(r_lines), np.diff(z_lines)
    da = r_lo * (a_lines[1] - a_lines[0])
    dt = 1e-3 / C0 / math.sqrt(1 / dr.min() ** 2 + 1 / da ** 2 + 1 / dz.min() ** 2)
    v_min = C0 / math.sqrt(er_max)
    t_pulse = 2.86 / (f_max / 2)  # the solver's Gaussian pulse lasts 2 x 9 / (2 pi fc)
    t_run = t_pulse + 2 * (z_hi - z_lo) * 1e-3 / v_min + RING_DELAYS * largest_delay(lines, f_max)
    steps = int(math.ceil(t_run / dt))
    FDTD = openEMS(CoordSystem=1, NrTS=steps, EndCriteria=0)
    FDTD.SetCSX(CSX)
    FDTD.SetGaussExcite(f_max / 2, f_max / 2)
    FDTD.SetBoundaryCond(["PEC", "PEC", "PMC", "PMC", "PML_8", "PML_8"])
    log("openEMS: %s mesh, %d x %d x %d cells (r x angle x z), smallest %.4f mm, wedge %.1f deg,"
        " %d time steps (%.1f ns)" % (resolution, cells[0], cells[1], cells[2], h_min,
                                      math.degrees(wedge), steps, t_run * 1e9))
    t0 = time.monotonic()
    os.makedirs(workdir, exist_ok=True)
    CSX.Write2XML(os.path.join(workdir, "model.xml"))  # what the solver is given, for --keep
    log_path = os.path.join(workdir, "solver.log")
    cwd = os.getcwd()  # the solver changes into its folder and stays there
    try:
        with solver_output(log_path):
            FDTD.Run(workdir, verbose=0, numThreads=threads)
    finally:
        os.chdir(cwd)
    seconds = time.monotonic() - t0
    with open(log_path) as f:
        solver_log = f.read()
    sys.stderr.write(solver_log)
    dropped = dropped_primitives(solver_log)
    if dropped:
        raise ModelError("openEMS dropped a part of the model (%s)" % dropped[0])

    def read(name):
        data = np.loadtxt(os.path.join(workdir, name), comments="%")
        return data[:, 0], data[:, 1]

    records = {n: read(n) for n in ("u1a", "u1b", "i1", "u2a", "u2b", "i2")}

    def fourier(t, v):
        dt = t[1] - t[0]
        return np.array([np.sum(v * np.exp(-2j * np.pi * f * t)) * dt for f in freqs_hz])

    waves = {}
    for name, (line, zp) in probes.items():
        ta, ua = records["u%sa" % name]
        tb, ub = records["u%sb" % name]
        ti, ii = records["i" + name]
        u = 0.5 * (fourier(ta, ua) + fourier(tb, ub))
        i = fourier(ti, ii) * current_scale
        zo = line_zo(line[0], line[1], line[2])
        waves[name] = ((u + zo * i) / 2, (u - zo * i) / 2, zo)  # toward +z, toward -z

    beta_s = 2 * np.pi * np.asarray(freqs_hz) * math.sqrt(src[2]) / C0 / 1e3  # rad per mm
    beta_l = 2 * np.pi * np.asarray(freqs_hz) * math.sqrt(ld[2]) / C0 / 1e3
    a1 = waves["1"][0] * np.exp(-1j * beta_s * (0.0 - z_probe1))  # at the source end face
    b1 = waves["1"][1] * np.exp(1j * beta_s * (0.0 - z_probe1))
    b2 = waves["2"][0] * np.exp(1j * beta_l * (z_probe2 - length))  # at the load end face
    zs, zl = waves["1"][2], waves["2"][2]
    s11 = b1 / a1
    s21 = (b2 / math.sqrt(zl)) / (a1 / math.sqrt(zs))
    mesh = {"resolution": resolution, "cells": cells, "smallest_mm": h_min,
            "wedge_deg": math.degrees(wedge), "seconds": seconds, "zs": zs, "zl": zl}
    return s11, s21, mesh


def renormalized(s11, s21, s12, s22, zs, zl, r1, r2):
    """S-parameters referred to zs at port 1 and zl at port 2, referred to r1 and r2 instead
    (real references), through the chain matrix: it stays well conditioned where the filter
    passes everything, as the impedance matrix does not."""
    k = 2 * s21
    a = ((1 + s11) * (1 - s22) + s12 * s21) / k * math.sqrt(zs / zl)
    b = ((1 + s11) * (1 + s22) - s12 * s21) / k * math.sqrt(zs * zl)
    c = ((1 - s11) * (1 - s22) - s12 * s21) / k / math.sqrt(zs * zl)
    d = ((1 - s11) * (1 + s22) + s12 * s21) / k * math.sqrt(zl / zs)
    den = a * r2 + b + c * r1 * r2 + d * r1
    root = math.sqrt(r1 * r2)
    return ((a * r2 + b - c * r1 * r2 - d * r1) / den, 2 * root / den,
            2 * (a * d - b * c) * root / den, (-a * r2 + b - c * r1 * r2 + d * r1) / den)


def sweep_hz(model):
    f = np.asarray(model["frequencies_mhz"], dtype=float)
    return f[f > 0] * 1e6  # a finite pulse carries no usable DC


def main(argv, model):
    """The command line (argv, without the program's name) for the filter `model` (the data
    block of a written script): the output file and how to run."""
    parser = argparse.ArgumentParser(
        description="Full-wave (openEMS FDTD) S-parameters of " + model["title"])
    parser.add_argument("output", help="Touchstone file to write (.s2p)")
    parser.add_argument("--resolution", choices=sorted(RESOLUTIONS), default="fine",
                        help="mesh resolution (default fine)")
    parser.add_argument("--threads", type=int, default=0,
                        help="openEMS threads (default 0: every core)")
    parser.add_argument("--keep", metavar="DIR",
                        help="run in DIR and keep the field solver's files there")
    args = parser.parse_args(argv)
    if args.threads < 0:
        parser.error("--threads: 0 or more")
    output = os.path.abspath(args.output)
    if not os.path.isdir(os.path.dirname(output)):
        print("em model: cannot write %s: the folder does not exist" % args.output,
              file=sys.stderr)
        return 2
    try:
        import CSXCAD  # noqa: F401
        import openEMS  # noqa: F401
    except ImportError as e:
        print("em model: openEMS is not available to %s (%s)" % (sys.executable, e),
              file=sys.stderr)
        return 3

    def log(text):
        print(text, file=sys.stderr, flush=True)

    lines = model_lines(model)
    freqs = sweep_hz(model)
    if len(freqs) == 0:
        log("em model: the sweep holds no frequency above 0")
        return 2
    # The solver runs in its own folder: a relative one would be taken from another directory.
    work = os.path.abspath(args.keep) if args.keep else tempfile.mkdtemp(prefix="mx-em-")
    try:
        return run(args, model, lines, freqs, output, work, log)
    except ModelError as e:
        log("em model: not simulated: %s" % e)
        return 2
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)


def run(args, model, lines, freqs, output, work, log):
    """Simulates the filter (from both ends unless it is symmetric) and writes the file."""
    s11, s21, mesh = simulate(lines, freqs, args.resolution, args.threads,
                              os.path.join(work, "forward"), log)
    seconds = mesh["seconds"]
    mirrored = lines[::-1]
    if np.allclose(mirrored, lines, rtol=1e-5, atol=1e-6):  # port 2 sees what port 1 sees
        s22, s12 = s11, s21
    else:
        s22, s12, back = simulate(mirrored, freqs, args.resolution, args.threads,
                                  os.path.join(work, "reverse"), log)
        seconds += back["seconds"]
    r1, r2 = model["reference_ohm"]
    s11, s21, s12, s22 = renormalized(s11, s21, s12, s22, mesh["zs"], mesh["zl"], r1, r2)
    if not all(np.all(np.isfinite(s)) for s in (s11, s21, s12, s22)):
        raise ModelError("the field solution is not finite (no wave reached a port?)")
    with open(output, "w") as out:
        out.write("! %s\n" % model["program"])
        out.write("! openEMS full-wave model of %s\n" % model["title"])
        out.write("! mesh %s: %d x %d x %d cells (r x angle x z), smallest %.4f mm, wedge %.1f deg\n"
                  % ((mesh["resolution"],) + mesh["cells"] + (mesh["smallest_mm"],
                                                              mesh["wedge_deg"])))
        out.write("! field solver time %.1f s\n" % seconds)
        out.write("! reference planes: the end faces of sections 1 and %d\n"
                  % len(model["sections"]))
        if r1 != r2:  # each port its own reference: version 2.0
            out.write("[Version] 2.0\n# MHz S RI R %.9g\n[Number of Ports] 2\n"
                      "[Two-Port Data Order] 21_12\n[Number of Frequencies] %d\n"
                      "[Reference] %.9g %.9g\n[Network Data]\n" % (r1, len(freqs), r1, r2))
        else:
            out.write("# MHz S RI R %.9g\n" % r1)
        out.write("! f S11 S21 S12 S22 (real, imaginary)\n")
        for k, f in enumerate(freqs):
            out.write("%.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g %.9g\n" % (
                f / 1e6, s11[k].real, s11[k].imag, s21[k].real, s21[k].imag,
                s12[k].real, s12[k].imag, s22[k].real, s22[k].imag))
        if r1 != r2:
            out.write("[End]\n")
    log("em model: wrote %s (%d frequencies, field solver %.1f s)"
        % (args.output, len(freqs), seconds))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:], MODEL))  # noqa: F821 (the data block written before this)
