#!/usr/bin/python3
"""Checks a two-port Touchstone file against the loss and VSWR a sweep printed.

    /usr/bin/python3 check_touchstone.py FILE.s2p EXPECTED.csv TOLERANCE [--vswr-tolerance T]
                                         [--references RS RL]

EXPECTED.csv holds one row per frequency: either a header row naming the
columns (frequency_mhz or f, loss_db, vswr: the program's CSV export has all
three) or no header and the columns f (MHz), loss_db, vswr in that order.

For every frequency in the Touchstone file the CSV row of the same frequency
must exist, and
  |20 log10 |S21| - loss_db| <= TOLERANCE          (dB)
  |VSWR from |S11| - vswr|   <= VSWR tolerance     (default TOLERANCE)
with the limits the program's report applies: |S21|^2 no lower than 1e-30,
|S11| no higher than 0.9995 and VSWR no higher than 999.99. The S-parameters
are referred to the resistances in the file, so the comparison holds for
sweeps with purely resistive terminations; --references checks the
resistances the file gives for port 1 and port 2. CSV rows whose frequency is not in
the file (rows the writer dropped) are counted, not compared.

Version 1 files are read with scikit-rf. Version 2.0 files are first checked
by this script's own reader (keyword order, [Reference], row count, rising
frequencies); scikit-rf is then tried on them and used only when it reads
the same references and data, else the script's own reading is used and the
output says so. (Debian's scikit-rf 0.15.4 stops at [Two-Port Data Order]
and never applies [Reference].)

Exit status: 0 all rows agree, 1 a mismatch, 2 a file that cannot be read or
breaks the format, 3 scikit-rf missing (needed for version 1 files).
"""

import argparse
import bisect
import contextlib
import csv
import io
import math
import os
import shutil
import sys
import tempfile

MIN_POWER_GAIN = 1.0e-30
MAX_LOSS = 9999.99
MAX_REFLECTION = 0.9995
MAX_VSWR = 999.99

UNIT_TO_MHZ = {"hz": 1.0e-6, "khz": 1.0e-3, "mhz": 1.0, "ghz": 1.0e3}


class FormatError(Exception):
    pass


class Network2:
    """What the comparison needs from a two-port file."""

    def __init__(self, f_mhz, s11, s21, reference, source):
        self.f_mhz = f_mhz          # list of floats
        self.s11 = s11              # lists of complex
        self.s21 = s21
        self.reference = reference  # [z port 1, z port 2]
        self.source = source        # how it was read


def load_skrf():
    """The skrf module, or None; its import chatter is kept off the output."""
    try:
        with contextlib.redirect_stdout(io.StringIO()), contextlib.redirect_stderr(io.StringIO()):
            import skrf  # noqa: F401
        return skrf
    except ImportError:
        return None


def split_lines(path):
    """Non-empty lines without comments, lower case, with their line numbers."""
    with open(path, "rb") as fh:
        raw = fh.read()
    try:
        text = raw.decode("ascii")
    except UnicodeDecodeError as e:
        raise FormatError("the file is not ASCII text (%s)" % e)
    out = []
    for n, line in enumerate(text.splitlines(), 1):
        line = line.split("!", 1)[0].strip()
        if line:
            out.append((n, line.lower()))
    return out


def parse_option_line(line, n):
    toks = line[1:].split()
    unit, param, fmt, r = "ghz", "s", "ma", 50.0
    i = 0
    while i < len(toks):
        t = toks[i]
        if t in UNIT_TO_MHZ:
            unit = t
        elif t in ("s", "y", "z", "h", "g"):
            param = t
        elif t in ("ri", "ma", "db"):
            fmt = t
        elif t == "r" and i + 1 < len(toks):
            i += 1
            r = float(toks[i])
        else:
            raise FormatError("line %d: unknown option '%s'" % (n, t))
        i += 1
    if param != "s":
        raise FormatError("line %d: only S-parameters are checked, not '%s'" % (n, param))
    return unit, fmt, r


def to_complex(fmt, a, b):
    if fmt == "ri":
        return complex(a, b)
    mag = a if fmt == "ma" else 10.0 ** (a / 20.0)
    return complex(mag * math.cos(math.radians(b)), mag * math.sin(math.radians(b)))


def is_version2(lines):
    return bool(lines) and lines[0][1].startswith("[version]")


def read_version2(path):
    """This script's own reader of a two-port Touchstone 2.0 file, strict on the
    keyword order: [Version] first, the option line before [Number of Ports],
    [Two-Port Data Order], [Number of Frequencies] and [Reference] after
    [Number of Ports], then [Network Data], the rows and [End] last."""
    lines = split_lines(path)
    if not is_version2(lines):
        raise FormatError("[Version] is not the first keyword")
    n0, first = lines[0]
    if first.split()[1:] != ["2.0"]:
        raise FormatError("line %d: version '%s', expected 2.0" % (n0, first))
    option = None
    ports = order = count = reference = None
    values = []
    in_data = ended = False
    i = 1
    while i < len(lines):
        n, line = lines[i]
        i += 1
        if ended:
            raise FormatError("line %d: text after [End]" % n)
        if line.startswith("#"):
            if option is not None or ports is not None:
                raise FormatError("line %d: the option line must come once, before [Number of Ports]" % n)
            option = parse_option_line(line, n)
            continue
        if line.startswith("["):
            keyword, _, rest = line.partition("]")
            keyword += "]"
            args = rest.split()
            if in_data and keyword != "[end]":
                raise FormatError("line %d: %s inside the network data" % (n, keyword))
            if keyword == "[number of ports]":
                if option is None:
                    raise FormatError("line %d: [Number of Ports] before the option line" % n)
                ports = int(args[0])
                if ports != 2:
                    raise FormatError("line %d: %d ports, this check is for two-ports" % (n, ports))
            elif keyword in ("[two-port data order]", "[number of frequencies]", "[reference]",
                             "[matrix format]", "[network data]"):
                if ports is None:
                    raise FormatError("line %d: %s before [Number of Ports]" % (n, keyword))
                if keyword == "[two-port data order]":
                    if args not in (["12_21"], ["21_12"]):
                        raise FormatError("line %d: data order %s" % (n, args))
                    order = args[0]
                elif keyword == "[number of frequencies]":
                    count = int(args[0])
                    if count <= 0:
                        raise FormatError("line %d: [Number of Frequencies] must be positive" % n)
                elif keyword == "[reference]":
                    reference = [float(a) for a in args]
                    while len(reference) < ports and i < len(lines) and not lines[i][1][:1] in "[#":
                        reference += [float(a) for a in lines[i][1].split()]
                        i += 1
                    if len(reference) != ports or min(reference) <= 0:
                        raise FormatError("line %d: [Reference] needs %d positive values" % (n, ports))
                elif keyword == "[matrix format]":
                    if args != ["full"]:
                        raise FormatError("line %d: only the full matrix is read" % n)
                else:
                    if order is None:
                        raise FormatError("line %d: a two-port needs [Two-Port Data Order]" % n)
                    if count is None:
                        raise FormatError("line %d: [Number of Frequencies] missing" % n)
                    in_data = True
            elif keyword == "[end]":
                if not in_data:
                    raise FormatError("line %d: [End] before [Network Data]" % n)
                ended = True
            else:
                raise FormatError("line %d: keyword %s is not read by this check" % (n, keyword))
            continue
        if not in_data:
            raise FormatError("line %d: data before [Network Data]" % n)
        try:
            values += [float(v) for v in line.split()]
        except ValueError:
            raise FormatError("line %d: not numbers: %s" % (n, line))
    if not ended:
        raise FormatError("[End] missing")
    if len(values) % 9 != 0:
        raise FormatError("the network data is not a whole number of 9-value rows")
    rows = [values[k:k + 9] for k in range(0, len(values), 9)]
    if len(rows) != count:
        raise FormatError("[Number of Frequencies] %d, but %d rows" % (count, len(rows)))
    unit, fmt, r = option
    if reference is None:
        reference = [r, r]
    f = [row[0] * UNIT_TO_MHZ[unit] for row in rows]
    check_rising(f)
    for row in rows:
        if not all(math.isfinite(v) for v in row):
            raise FormatError("a row holds a value that is not finite: %s" % row)
    # Both orders put S11 first; 21_12 gives S21 next, 12_21 gives S12 next.
    s21_at = 3 if order == "21_12" else 5
    s11 = [to_complex(fmt, row[1], row[2]) for row in rows]
    s21 = [to_complex(fmt, row[s21_at], row[s21_at + 1]) for row in rows]
    return Network2(f, s11, s21, reference, "this script's own Touchstone 2.0 reader")


def check_rising(f):
    for a, b in zip(f, f[1:]):
        if not b > a:
            raise FormatError("frequencies do not rise: %r MHz after %r MHz" % (b, a))


def skrf_read(skrf, path):
    """scikit-rf's reading; it wants a .s2p or .ts name."""
    tmp = None
    if not path.lower().endswith((".s2p", ".ts")):
        tmp = tempfile.mkdtemp()
        copy = os.path.join(tmp, "file.s2p")
        shutil.copyfile(path, copy)
        path = copy
    try:
        with contextlib.redirect_stdout(io.StringIO()):
            net = skrf.Network(path)
    finally:
        if tmp:
            shutil.rmtree(tmp, ignore_errors=True)
    if net.s.shape[1:] != (2, 2):
        raise FormatError("scikit-rf reads %s, not a two-port" % (net.s.shape[1:],))
    f = [float(x) / 1.0e6 for x in net.f]
    reference = [complex(net.z0[0, 0]), complex(net.z0[0, 1])]
    return Network2(f, [complex(x) for x in net.s[:, 0, 0]], [complex(x) for x in net.s[:, 1, 0]],
                    reference, "scikit-rf %s" % skrf.__version__)


def data_row_count(lines):
    return sum(1 for _, line in lines if line[:1] not in "#[")


def read_touchstone(path):
    lines = split_lines(path)
    skrf = load_skrf()
    if not is_version2(lines):
        if skrf is None:
            print("scikit-rf is not installed (apt-get install python3-scikit-rf): "
                  "it is needed for version 1 files")
            sys.exit(3)
        net = skrf_read(skrf, path)
        # scikit-rf takes a falling frequency for the start of noise data: a
        # row count that differs from the file's rows shows that.
        if len(net.f_mhz) != data_row_count(lines):
            raise FormatError("scikit-rf reads %d rows of %d" % (len(net.f_mhz), data_row_count(lines)))
        check_rising(net.f_mhz)
        return net

    own = read_version2(path)
    if skrf is None:
        print("Touchstone 2.0 file: scikit-rf is not installed; read with this script's own reader")
        return own
    try:
        net = skrf_read(skrf, path)
    except Exception as e:  # any failure of the library's reading
        print("Touchstone 2.0 file: scikit-rf %s cannot read it (%s: %s); read with this script's own "
              "reader" % (skrf.__version__, type(e).__name__, e))
        return own
    ref_ok = all(abs(a - b) <= 1e-9 * abs(b) for a, b in zip(net.reference, own.reference))
    same = (len(net.f_mhz) == len(own.f_mhz) and
            all(abs(a - b) <= 1e-9 * max(1.0, abs(b)) for a, b in zip(net.f_mhz, own.f_mhz)) and
            all(abs(a - b) <= 1e-9 for a, b in zip(net.s21 + net.s11, own.s21 + own.s11)))
    if not (ref_ok and same):
        why = "its references %s are not the file's %s" % (net.reference, own.reference) if not ref_ok \
            else "its data differ"
        print("Touchstone 2.0 file: scikit-rf %s reads it wrongly (%s); read with this script's own reader"
              % (skrf.__version__, why))
        return own
    print("Touchstone 2.0 file: scikit-rf %s reads it as this script's own reader does" % skrf.__version__)
    return net


def read_expected(path):
    with open(path, newline="") as fh:
        rows = [r for r in csv.reader(fh) if r and any(c.strip() for c in r)]
    if not rows:
        raise FormatError("%s holds no rows" % path)
    columns = (0, 1, 2)
    try:
        float(rows[0][0])
    except ValueError:
        head = [c.strip().lower() for c in rows[0]]
        rows = rows[1:]

        def col(*names):
            for name in names:
                if name in head:
                    return head.index(name)
            raise FormatError("%s: no column %s in the header" % (path, " or ".join(names)))
        columns = (col("frequency_mhz", "f_mhz", "f", "frequency"), col("loss_db", "loss"), col("vswr"))
    out = []
    for k, r in enumerate(rows):
        try:
            out.append(tuple(float(r[c]) for c in columns))
        except (ValueError, IndexError):
            raise FormatError("%s: row %d cannot be read: %s" % (path, k + 1, r))
    return out


def program_loss_db(s21):
    g = max(abs(s21) ** 2, MIN_POWER_GAIN)
    return min(10.0 * math.log10(g), MAX_LOSS)


def program_vswr(s11):
    g = min(abs(s11), MAX_REFLECTION)
    return min((1.0 + g) / (1.0 - g), MAX_VSWR)


def find_row(expected_sorted, keys, f):
    k = bisect.bisect_left(keys, f - 1e-9 * max(1.0, abs(f)))
    if k < len(keys) and abs(keys[k] - f) <= 1e-9 * max(1.0, abs(f)):
        return expected_sorted[k]
    return None


def main():
    ap = argparse.ArgumentParser(description="Compare a Touchstone file with expected loss and VSWR.")
    ap.add_argument("touchstone")
    ap.add_argument("expected_csv")
    ap.add_argument("tolerance", type=float, help="largest |loss difference|, dB")
    ap.add_argument("--vswr-tolerance", type=float, default=None,
                    help="largest |VSWR difference| (default: the loss tolerance)")
    ap.add_argument("--references", type=float, nargs=2, metavar=("RS", "RL"), default=None,
                    help="the resistances the file must be referred to at port 1 and port 2")
    a = ap.parse_args()
    vswr_tol = a.tolerance if a.vswr_tolerance is None else a.vswr_tolerance

    try:
        net = read_touchstone(a.touchstone)
        expected = read_expected(a.expected_csv)
    except (OSError, FormatError, ValueError, IndexError) as e:
        print("ERROR: %s" % e)
        return 2
    print("read %s with %s: %d frequencies, references %s ohm"
          % (a.touchstone, net.source, len(net.f_mhz), [z.real if isinstance(z, complex) else z
                                                        for z in net.reference]))

    # First CSV row of each frequency (a sweep may repeat a frequency).
    by_f = {}
    for row in expected:
        if math.isfinite(row[0]):
            by_f.setdefault(row[0], row)
    keys = sorted(by_f)
    table = [by_f[k] for k in keys]

    worst_loss = (0.0, None)
    worst_vswr = (0.0, None)
    failures = []
    if a.references is not None:
        got = [complex(z).real for z in net.reference]
        if any(abs(g - w) > 1e-6 * abs(w) for g, w in zip(got, a.references)):
            failures.append("the file is referred to %s ohm, expected %s ohm" % (got, a.references))
    used = set()
    compared = 0
    for f, s11, s21 in zip(net.f_mhz, net.s11, net.s21):
        row = find_row(table, keys, f)
        if row is None:
            failures.append("f = %r MHz is in the file but not in %s" % (f, a.expected_csv))
            continue
        used.add(row[0])
        compared += 1
        dl = abs(program_loss_db(s21) - row[1])
        dv = abs(program_vswr(s11) - row[2])
        if not math.isfinite(dl):
            dl = math.inf
        if not math.isfinite(dv):
            dv = math.inf
        if dl >= worst_loss[0]:
            worst_loss = (dl, f)
        if dv >= worst_vswr[0]:
            worst_vswr = (dv, f)
        if dl > a.tolerance:
            failures.append("f = %r MHz: loss %.6f dB from the file, %r dB expected (tolerance %g dB)"
                            % (f, program_loss_db(s21), row[1], a.tolerance))
        if dv > vswr_tol:
            failures.append("f = %r MHz: VSWR %.6f from the file, %r expected (tolerance %g)"
                            % (f, program_vswr(s11), row[2], vswr_tol))

    skipped = sum(1 for row in expected if row[0] not in used)
    print("compared %d frequencies; %d expected rows have no row in the file"
          % (compared, skipped))
    if worst_loss[1] is not None:
        print("largest loss deviation %.3g dB at %r MHz" % worst_loss)
        print("largest VSWR deviation %.3g at %r MHz" % (worst_vswr[0], worst_vswr[1]))
    if not net.f_mhz:
        print("MISMATCH: the file holds no frequencies")
        return 1
    if failures:
        for msg in failures[:20]:
            print("MISMATCH: " + msg)
        if len(failures) > 20:
            print("MISMATCH: ... %d more" % (len(failures) - 20))
        return 1
    print("OK")
    return 0


if __name__ == "__main__":
    sys.exit(main())
