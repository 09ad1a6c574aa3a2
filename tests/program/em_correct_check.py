#!/usr/bin/python3
"""The full-wave correction of a short coaxial filter, end to end.

    /usr/bin/python3 em_correct_check.py MANDRELIX DATA_DIR

Synthesizes the 3-section filter of the shipped line kinds (Chebyshev 0.1 dB, FC1 1000 MHz) with
--em-correct at the coarse mesh, --save-circuit and --drawing, and checks: the printed dialog is
the one without options; one progress line per field run; the report's keys, its last run within
0.05 % of the nominal in -3 dB frequency and passband edge; the circuit file holds the corrected
lengths and the drawing says they are corrected. Then the same with a Python that is not there:
one line, status 2, no report, the circuit file with the synthesized lengths. Exit status 77
(skipped) when openEMS cannot be imported.
"""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

SKIP = 77
TOLERANCE_PCT = 0.05
MOST_RUNS = 4
# The dialog: a distributed Chebyshev synthesis of every default but N = 3, then EXIT.
ANSWERS = ["", "2", "1"] + [""] * 14 + ["3", "", "", "3"]


def run(program, work, options, env=None):
    return subprocess.run([program] + options, input="\n".join(ANSWERS) + "\n", cwd=work,
                          text=True, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          env=dict(os.environ, **(env or {})))


def lengths_of(circuit):
    with open(circuit) as f:
        return [float(line.split()[0]) for line in f if "LENGTH" in line]


def without_date(text):
    return re.sub(r"Date:.*Hours", "", text)


def main(argv):
    program, data = argv
    try:
        import CSXCAD  # noqa: F401
        import openEMS  # noqa: F401
    except ImportError as e:
        print("skipped: openEMS is not importable (%s)" % e)
        return SKIP
    work = tempfile.mkdtemp(prefix="mx-em-correct-")
    failures = []
    try:
        for name in os.listdir(data):
            shutil.copy(os.path.join(data, name), work)
        plain = run(program, work, ["--save-circuit", "plain.cxf"])
        r = run(program, work, ["--em-correct", "fw.json", "--em-resolution", "coarse",
                                "--save-circuit", "fw.cxf", "--drawing", "fw.svg"])
        print(r.stderr, end="")
        if r.returncode != 0:
            print("FAILED: status %d" % r.returncode)
            return 1
        if without_date(r.stdout) != without_date(plain.stdout):
            failures.append("the dialog's text changed")
        with open(os.path.join(work, "fw.json")) as f:
            report = json.load(f)
        runs = report["fullwave_runs"]
        progress = [l for l in r.stderr.splitlines() if l.startswith("mandrelix: full-wave run ")]
        if len(progress) != runs or len(report["iterations"]) != runs:
            failures.append("%d progress lines and %d iterations for %d runs"
                            % (len(progress), len(report["iterations"]), runs))
        if not report["converged"] or runs > MOST_RUNS:
            failures.append("not converged in %d coarse runs" % MOST_RUNS)
        for key in ("shift_pct", "edge_shift_pct"):
            if abs(report["final"][key]) > TOLERANCE_PCT:
                failures.append("final %s %.4f %%" % (key, report["final"][key]))
        for key in ("cutoff_3db_mhz", "edge_mhz"):
            if key not in report["target"] or any(key not in it for it in report["iterations"]):
                failures.append("the report has no %s" % key)
        if any("lengths_in" not in it or "solver_s" not in it for it in report["iterations"]):
            failures.append("an iteration has no lengths_in or solver_s")
        corrected = lengths_of(os.path.join(work, "fw.cxf"))
        synthesized = lengths_of(os.path.join(work, "plain.cxf"))
        if report["iterations"][0]["lengths_in"] != [round(v, 6) for v in synthesized]:
            failures.append("the first run is not of the synthesized lengths")
        if any(abs(a - b) > 5e-7 for a, b in zip(corrected, report["final"]["lengths_in"])):
            failures.append("the circuit file does not hold the corrected lengths: %r" % corrected)
        with open(os.path.join(work, "fw.svg")) as f:
            if "full-wave (openEMS" not in f.read():
                failures.append("the drawing does not say the lengths are corrected")
        print("corrected %s -> %s in %d runs: -3 dB %+.4f %%, edge %+.4f %%"
              % (synthesized, corrected, runs, report["final"]["shift_pct"],
                 report["final"]["edge_shift_pct"]))

        # No field solver: one line, status 2, the synthesized lengths in the files.
        os.remove(os.path.join(work, "fw.json"))
        r = run(program, work, ["--em-correct", "fw.json", "--save-circuit", "none.cxf"],
                {"MANDRELIX_EM_PYTHON": "/nonexistent/python3"})
        said = [l for l in r.stderr.splitlines() if "full-wave correction" in l]
        if r.returncode != 2 or len(said) != 1 or "cannot run /nonexistent/python3" not in said[0]:
            failures.append("without Python: status %d, %r" % (r.returncode, r.stderr))
        if os.path.exists(os.path.join(work, "fw.json")):
            failures.append("without Python a report was written")
        if lengths_of(os.path.join(work, "none.cxf")) != synthesized:
            failures.append("without Python the circuit file does not hold the synthesized lengths")
        for line in failures:
            print("FAILED: " + line)
        return 1 if failures else 0
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
