"""Reference magnitudes of analog low-pass prototypes from SciPy's filter design.

    analog_reference.py elliptic N RIPPLE_DB STOPBAND_DB W1 W2 ...
    analog_reference.py bessel N W1 W2 ...

Prints |H(j w)| in dB at each normalized frequency w on one line, then the
transmission zeros (rad/s, ascending, one of each conjugate pair) on the next.
Elliptic: scipy.signal.ellipap (passband edge at 1); Bessel: besselap with
norm='mag' (-3 dB at 1).
"""
import sys

import numpy as np
from scipy import signal


def main(argv):
    kind, n = argv[1], int(argv[2])
    if kind == "elliptic":
        z, p, k = signal.ellipap(n, float(argv[3]), float(argv[4]))
        w = np.array([float(v) for v in argv[5:]])
    elif kind == "bessel":
        z, p, k = signal.besselap(n, norm="mag")
        w = np.array([float(v) for v in argv[3:]])
    else:
        raise SystemExit("unknown kind " + kind)
    _, h = signal.freqs_zpk(z, p, k, worN=w)
    print(" ".join("%.12g" % v for v in 20.0 * np.log10(np.abs(h))))
    zeros = sorted(abs(v.imag) for v in z if v.imag > 0)
    print(" ".join("%.15g" % v for v in zeros))


if __name__ == "__main__":
    main(sys.argv)
