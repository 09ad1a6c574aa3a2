#!/usr/bin/env bash
# Whole-process time of the two long sweeps, for before/after comparisons of
# builds of the program (it builds nothing):
#   coax31   a 31-section lossy coaxial circuit read from a data file
#   lumped30 a 30-element lumped ladder read from a data file
# each swept from 1 to 10001 MHz by 1 MHz with the report printed to
# /dev/null and nothing stored; and of the tolerance study
#   study7   the shipped 7-section worked example synthesized with
#            --tolerance, 10,000 trials of 301 points, default tolerances
# (a build without --tolerance skips it); and of the fit
#   fit7     the shipped coaxial circuit coax7.cxf analysed from 10 to 3000
#            MHz by 10 and fitted (--fit) to the same circuit built with
#            length errors of +4, -3, +2, -4 mil in sections 2, 3, 5, 6 (its
#            S-parameters from the first binary), with the report and the
#            correction plan (a build without --fit skips it). Beside lumped30, ngspice's bare AC
# analysis of the same ladder (the same 10,001 frequencies, nothing printed)
# when ngspice is installed; the ladder of its netlist is first checked
# against the program's report at eleven frequencies.
#
#   bench/whole_process.sh BINARY [BINARY ...] [RUNS]      (RUNS defaults to 9)
#
# The runs of each case are interleaved (every binary and ngspice once, then
# again), so that a change of the machine's load falls on all of them alike.
# Printed per case and binary: the median wall time and the median processor
# time (user + system, all threads); then the median over the rounds of the
# ratio of each binary's wall time to the first binary's and to ngspice's.
#
# The thread count of the sweep comes from the environment as usual
# (MANDRELIX_THREADS=1 for one thread); binaries that do not know the
# variable ignore it.
set -euo pipefail

runs=9
binaries=()
for a in "$@"; do
  if [[ "$a" =~ ^[0-9]+$ ]]; then
    runs=$a
  elif [ -x "$a" ] && [ -f "$a" ]; then
    binaries+=("$(cd "$(dirname "$a")" && pwd)/$(basename "$a")")
  else
    echo "$0: not a program: $a" >&2
    exit 2
  fi
done
if [ ${#binaries[@]} -eq 0 ]; then
  echo "usage: $0 BINARY [BINARY ...] [RUNS]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here/../data/Mandrelix.DEF" "$work/"

# The same 31-section circuit as bench/session_bench.cpp: PTFE-filled
# low-impedance and air high-impedance sections between 50-ohm air lines.
{
  printf '31-section stepped-impedance low-pass\n31\n0.5\n0.2172\n1\n'
  for i in $(seq 1 31); do
    if [ $((i % 2)) -eq 1 ]; then printf '0.2\n0.5\n0.45\n2.1\n'; else printf '1.2\n0.5\n0.1\n1\n'; fi
  done
  printf '0.5\n0.2172\n1\n'
} >"$work/big31.cxf"

# The shipped 7-section circuit, and the same built with length errors.
cp "$here/../data/coax7.cxf" "$work/"
sed -e 's/^1\.533 \( *LENGTH 2\)/1.537 \1/' -e 's/^0\.325 \( *LENGTH 3\)/0.322 \1/' \
  -e 's/^0\.325 \( *LENGTH 5\)/0.327 \1/' -e 's/^1\.533 \( *LENGTH 6\)/1.529 \1/' \
  "$here/../data/coax7.cxf" >"$work/built7.cxf"

# A 30-element ladder, standard configuration (shunt C first): title, ICFG,
# then the values in pF and nH alternately.
{
  printf '30-element lumped ladder\n1\n'
  for i in $(seq 1 30); do
    if [ $((i % 2)) -eq 1 ]; then printf '3.5\n'; else printf '11.5\n'; fi
  done
} >"$work/lump30.lef"

# Analysis of a distributed circuit from a file (losses and terminations from
# the defaults), then of an electrical circuit from a file with 50-ohm ends;
# 1 to 10001 MHz by 1 MHz, no storage, then exit.
printf '1\n2\n2\nbig31.cxf\n\n\n\n1\n10001\n1\n0\n3\n' >"$work/coax31.in"
printf '1\n1\n2\nlump30.lef\n50\n0\n50\n0\n1\n10001\n1\n0\n3\n' >"$work/lumped30.in"
cp "$here/../tests/transcripts/dist_worked_example_n7/answers.txt" "$work/study7.in"
printf '1\n2\n2\ncoax7.cxf\n\n\n\n10\n3000\n10\n\n3\n' >"$work/fit7.in"
printf '1\n2\n2\nbuilt7.cxf\n\n\n\n10\n3000\n10\n\n3\n' >"$work/built7.in"

# The same ladder for ngspice: 50-ohm source and load, shunt C first, then
# series L, alternating, node k after the k-th inductor.
ladder_netlist() {
  printf '* 30-element lumped ladder\nV1 in 0 DC 0 AC 1\nRs in n0 50\n'
  local node=0
  for i in $(seq 1 30); do
    if [ $((i % 2)) -eq 1 ]; then
      printf 'C%d n%d 0 3.5p\n' "$i" "$node"
    else
      printf 'L%d n%d n%d 11.5n\n' "$i" "$node" $((node + 1))
      node=$((node + 1))
    fi
  done
  printf 'Rl n%d 0 50\n' "$node"
}
# The timed analysis keeps its vectors in memory and writes nothing; the check
# writes the output voltage at 1, 101, ..., 2001 MHz, through the passband
# and the edge into the stopband.
{
  ladder_netlist
  printf '.control\nac lin 10001 1meg 10001meg\nquit\n.endc\n.end\n'
} >"$work/lump30.cir"
{
  ladder_netlist
  printf '.control\nac lin 21 1meg 2001meg\nwrdata %s vdb(n15) vp(n15)\nquit\n.endc\n.end\n' \
    "$work/lump30-check.txt"
} >"$work/lump30-check.cir"

/usr/bin/python3 - "$runs" "$work" "${binaries[@]}" <<'PY'
import math, os, resource, shutil, statistics, subprocess, sys, time

runs, work, binaries = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
options = {"study7": ["--tolerance", "study.txt", "--trials", "10000"],
           "fit7": ["--fit", "built7.s2p", "--fit-report", "fit.txt"]}
needs = {"study7": "--tolerance", "fit7": "--fit"}
ngspice = shutil.which("ngspice")


def answers(name):
    with open(os.path.join(work, name + ".in"), "rb") as f:
        return f.read()


def check_ladder():
    """ngspice's ladder against the program's report: the loss at 21
    frequencies, |S21|^2 = |2 V(out)|^2 with a 1 V source and equal ends."""
    subprocess.run([ngspice, "-b", "lump30-check.cir"], cwd=work, capture_output=True, check=True)
    spice = {}
    with open(os.path.join(work, "lump30-check.txt")) as f:
        for line in f:
            cols = line.split()
            spice[round(float(cols[0]) / 1e6)] = float(cols[1]) + 20.0 * math.log10(2.0)
    report = subprocess.run([binaries[0]], input=answers("lumped30"), capture_output=True,
                            cwd=work).stdout.decode()
    rows = {}
    for line in report.splitlines():
        cols = line.split()
        if len(cols) == 7:
            try:
                rows[round(float(cols[0]))] = float(cols[4])
            except ValueError:
                pass
    # The report shows 3 decimals; the single-precision chain loses about
    # one part in 10^5 of the loss along the ladder.
    excess = max(abs(rows[f] - db) - 1e-5 * abs(db) for f, db in spice.items())
    if len(spice) != 21 or excess > 0.0006:
        sys.exit(f"lumped30: the ngspice netlist is not the program's ladder "
                 f"(loss differs by {excess:.4f} dB more than the rounding)")
    worst = max(abs(rows[f] - db) for f, db in spice.items())
    print(f"lumped30: ngspice's ladder gives the program's loss at 1, 101, ..., 2001 MHz "
          f"(0 to {-min(spice.values()):.1f} dB) within {worst:.4f} dB")


def timed(command, stdin):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    done = subprocess.run(command, input=stdin, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL, cwd=work)
    wall = (time.perf_counter() - start) * 1000.0
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime) * 1000.0
    if done.returncode not in (0,):
        sys.exit(f"{command[0]}: ended with status {done.returncode}")
    return wall, cpu


if ngspice:
    check_ladder()
# The "measured" built part of fit7.
subprocess.run([binaries[0], "--touchstone", "built7.s2p"], input=answers("built7"),
               capture_output=True, cwd=work)
for name in ("coax31", "lumped30", "study7", "fit7"):
    programs = [b for b in binaries if name not in options or
                subprocess.run([b, "--help"], capture_output=True,
                               text=True).stdout.find(needs[name] + " ") >= 0]
    if not programs:
        continue
    contenders = [(b, [b] + options.get(name, []), answers(name)) for b in programs]
    if name == "lumped30" and ngspice:
        contenders.append(("ngspice", [ngspice, "-b", "lump30.cir"], b""))
    wall = {label: [] for label, _, _ in contenders}
    cpu = {label: [] for label, _, _ in contenders}
    for _ in range(runs):
        for label, command, stdin in contenders:
            w, c = timed(command, stdin)
            wall[label].append(w)
            cpu[label].append(c)
    # On a shared machine the wall time varies with the load; the processor
    # time (user + system, all threads) varies less.
    for label, _, _ in contenders:
        shown = "ngspice -b" if label == "ngspice" else os.path.relpath(label)
        print(f"{name:9s} {shown:34s} wall median {statistics.median(wall[label]):8.2f} ms "
              f"(min {min(wall[label]):.2f}, max {max(wall[label]):.2f})  "
              f"cpu median {statistics.median(cpu[label]):8.2f} ms  ({runs} runs)")
    first = contenders[0][0]
    for label in programs[1:]:
        ratio = statistics.median(a / b for a, b in zip(wall[label], wall[first]))
        print(f"{name:9s} wall {os.path.relpath(label)} / {os.path.relpath(first)}: {ratio:.3f}")
    if "ngspice" in wall:
        for label in programs:
            ratio = statistics.median(a / b for a, b in zip(wall[label], wall["ngspice"]))
            print(f"{name:9s} wall {os.path.relpath(label)} / ngspice: {ratio:.3f}")
PY
