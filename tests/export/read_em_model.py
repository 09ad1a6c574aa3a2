#!/usr/bin/python3
"""Reads the data block of a full-wave model script as Python itself does, and prints it.

    /usr/bin/python3 read_em_model.py MODEL.py

One line per item: "title TEXT", "source|load OUTER INNER ER ZO", "section K OUTER INNER ER ZO
LENGTH", "cutoff F RIPPLE", "reference R1 R2", "frequencies N F1 ... FN"; numbers as repr()
gives them, so they read back exactly. Then "help ok" when the script's command line answers
--help (which needs no field solver). Exit status 1 when the script does not load.
"""

import runpy
import subprocess
import sys


def main(path):
    model = runpy.run_path(path, run_name="mx_em_model")["MODEL"]  # defines, simulates nothing
    print("title " + model["title"])

    def line(d):
        return " ".join(repr(float(d[k])) for k in ("outer_in", "inner_in", "er", "zo"))

    print("source " + line(model["source"]))
    for k, s in enumerate(model["sections"], 1):
        print("section %d %s %r" % (k, line(s), float(s["length_in"])))
    print("load " + line(model["load"]))
    print("cutoff %r %r" % (float(model["cutoff_mhz"]), float(model["ripple_db"])))
    print("reference %r %r" % tuple(float(r) for r in model["reference_ohm"]))
    f = [float(v) for v in model["frequencies_mhz"]]
    print("frequencies %d %s" % (len(f), " ".join(repr(v) for v in f)))
    run = subprocess.run([sys.executable, path, "--help"], stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT, text=True)
    if run.returncode == 0 and "--resolution" in run.stdout:
        print("help ok")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
