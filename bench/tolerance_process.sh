#!/usr/bin/env bash
# Whole-process time of the tolerance study of the shipped 7-section worked
# example: its distributed synthesis (every default of data/Mandrelix.DEF)
# with --tolerance, 10,000 trials of 301 points at the default tolerances,
# the dialog's text to /dev/null. Prints the median wall and processor time
# of N runs (it builds nothing).
#
#   bench/tolerance_process.sh BINARY [N]      (N defaults to 9)
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
cp "$here/../tests/transcripts/dist_worked_example_n7/answers.txt" "$work/answers.txt"

/usr/bin/python3 - "$binary" "$runs" "$work" <<'PY'
import os, resource, statistics, subprocess, sys, time

binary, runs, work = sys.argv[1], int(sys.argv[2]), sys.argv[3]
with open(os.path.join(work, "answers.txt"), "rb") as f:
    answers = f.read()
wall, cpu = [], []
for _ in range(runs):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.perf_counter()
    done = subprocess.run([binary, "--tolerance", "study.txt", "--trials", "10000"],
                          input=answers, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          cwd=work)
    wall.append((time.perf_counter() - start) * 1000.0)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu.append((after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime) * 1000.0)
    if done.returncode != 0:
        sys.exit(f"the program ended with status {done.returncode}")
print(f"tolerance study, 10000 trials x 301 points: wall median {statistics.median(wall):.1f} ms "
      f"(min {min(wall):.1f}, max {max(wall):.1f})  cpu median {statistics.median(cpu):.1f} ms "
      f"({runs} runs)")
PY
