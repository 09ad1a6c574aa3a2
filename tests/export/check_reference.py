#!/usr/bin/python3
"""Checks the Touchstone file written with --reference-ohm against scikit-rf.

    /usr/bin/python3 check_reference.py DEFAULT.s2p REFERRED.s2p Z TOLERANCE

DEFAULT.s2p is the file written without the option (referred to Rs at port 1
and Rl at port 2: version 1 when they are equal, else version 2.0 with a
[Reference] line), REFERRED.s2p the one written with --reference-ohm Z. The
default file is renormalised to Z at both ports by scikit-rf; the referred
file (version 1, read by scikit-rf) must hold the same frequencies, reference
Z at both ports and every S-parameter within TOLERANCE (|dS|, absolute).

A version 2.0 file is read here (scikit-rf 0.15 does not apply [Reference]):
its rows after [Network Data] in the 21_12 order, S11 S21 S12 S22 as real
and imaginary parts, and the resistances of [Reference].

Exit status: 0 agreement, 1 a mismatch, 2 a file that cannot be read,
3 scikit-rf missing.
"""

import contextlib
import io
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_touchstone import load_skrf  # noqa: E402


def read_version2(skrf, numpy, path):
    """The network of a version 2.0 file written by the program: MHz, S, RI."""
    reference, rows, in_data = None, [], False
    with open(path, encoding="ascii") as fh:
        for line in fh:
            line = line.split("!", 1)[0].strip()
            low = line.lower()
            if not line:
                continue
            if low.startswith("#"):
                if low.split()[1:4] != ["mhz", "s", "ri"]:
                    raise ValueError("option line is not MHz S RI: " + line)
            elif low.startswith("[reference]"):
                reference = [float(v) for v in line.split()[1:]]
            elif low.startswith("[network data]"):
                in_data = True
            elif low.startswith("[end]"):
                in_data = False
            elif in_data:
                rows.append([float(v) for v in line.split()])
    if reference is None or len(reference) != 2:
        raise ValueError("no [Reference] line of two resistances")
    if not rows or any(len(r) != 9 for r in rows):
        raise ValueError("data rows are not f and eight numbers")
    f = numpy.array([r[0] for r in rows])
    s = numpy.zeros((len(rows), 2, 2), dtype=complex)
    for k, r in enumerate(rows):
        s11, s21, s12, s22 = (complex(r[1 + 2 * i], r[2 + 2 * i]) for i in range(4))
        s[k] = [[s11, s12], [s21, s22]]
    freq = skrf.Frequency.from_f(f, unit="mhz")
    return skrf.Network(frequency=freq, s=s, z0=numpy.array([reference] * len(rows)))


def read(skrf, numpy, path):
    with open(path, encoding="ascii") as fh:
        text = fh.read()
    if "[version] 2" in text.lower():
        return read_version2(skrf, numpy, path)
    with contextlib.redirect_stdout(io.StringIO()):
        return skrf.Network(path)


def main():
    if len(sys.argv) != 5:
        print(__doc__)
        return 2
    skrf = load_skrf()
    if skrf is None:
        print("scikit-rf is not installed")
        return 3
    import numpy

    # scikit-rf 0.15 still names numpy.complex, which NumPy 1.24 removed.
    if not hasattr(numpy, "complex"):
        numpy.complex = complex

    default_path, referred_path = sys.argv[1], sys.argv[2]
    z, tolerance = float(sys.argv[3]), float(sys.argv[4])
    try:
        default = read(skrf, numpy, default_path)
        referred = read(skrf, numpy, referred_path)
    except (OSError, ValueError, IndexError) as e:
        print("cannot read: %s" % e)
        return 2
    source_refs = sorted(set(numpy.round(default.z0.real.ravel(), 9)))
    default.renormalize(z)
    if not numpy.allclose(referred.z0, z, rtol=1e-12, atol=0):
        print("MISMATCH: the referred file is referred to %s ohm, not %g"
              % (sorted(set(referred.z0.real.ravel())), z))
        return 1
    if len(default.f) != len(referred.f) or not numpy.allclose(default.f, referred.f, rtol=1e-12):
        print("MISMATCH: the files hold different frequencies (%d and %d rows)"
              % (len(default.f), len(referred.f)))
        return 1
    diff = numpy.abs(default.s - referred.s)
    worst = float(diff.max())
    k, i, j = numpy.unravel_index(int(diff.argmax()), diff.shape)
    print("renormalised from %s to %g ohm with scikit-rf %s: compared %d frequencies, "
          "max |dS| = %.3g (S%d%d at %.6g MHz)"
          % (source_refs, z, skrf.__version__, len(default.f), worst, i + 1, j + 1,
             default.f[k] / 1e6))
    if not worst <= tolerance:
        print("MISMATCH: max |dS| above %g" % tolerance)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
