#!/usr/bin/env bash
# Whole-process time of the two long sweeps, for before/after comparisons of
# any build of the program (it builds nothing):
#   coax31   a 31-section lossy coaxial circuit read from a data file
#   lumped30 a 30-element lumped ladder read from a data file
# each swept from 1 to 10001 MHz by 1 MHz with the report printed to
# /dev/null and nothing stored; and of the tolerance study
#   study7   the shipped 7-section worked example synthesized with
#            --tolerance, 10,000 trials of 301 points, default tolerances
# (a build without --tolerance skips it). Prints the median wall time of N runs of each,
# and the median processor time (user + system, all threads).
#
#   bench/whole_process.sh BINARY [N]      (N defaults to 9)
#
# The thread count of the sweep comes from the environment as usual
# (MANDRELIX_THREADS=1 for one thread); binaries that do not know the
# variable ignore it.
set -euo pipefail

if [ $# -lt 1 ] || [ ! -x "$1" ]; then
  echo "usage: $0 BINARY [RUNS]" >&2
  exit 2
fi
binary=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
runs=${2:-9}
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

python3 - "$binary" "$runs" "$work" <<'PY'
import os, resource, statistics, subprocess, sys, time

binary, runs, work = sys.argv[1], int(sys.argv[2]), sys.argv[3]
options = {"study7": ["--tolerance", "study.txt", "--trials", "10000"]}
for name in ("coax31", "lumped30", "study7"):
    if name in options and subprocess.run([binary, "--help"], capture_output=True,
                                          text=True).stdout.find("--tolerance") < 0:
        continue
    with open(os.path.join(work, name + ".in"), "rb") as f:
        answers = f.read()
    wall, cpu = [], []
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        done = subprocess.run([binary] + options.get(name, []), input=answers, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, cwd=work)
        wall.append((time.perf_counter() - start) * 1000.0)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu.append((after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime) * 1000.0)
        if done.returncode != 0:
            sys.exit(f"{name}: the program ended with status {done.returncode}")
    # On a shared machine the wall time varies with the load; the processor
    # time (user + system, all threads) varies less.
    print(f"{name:9s} wall median {statistics.median(wall):7.2f} ms "
          f"(min {min(wall):.2f}, max {max(wall):.2f})  "
          f"cpu median {statistics.median(cpu):7.2f} ms  ({runs} runs)")
PY
