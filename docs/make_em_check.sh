#!/usr/bin/env bash
# Regenerates the full-wave check of the worked example (docs/em-check.md):
#   docs/em-check.txt   tools/em_compare's report: the program's analysis without losses, then
#                       the same analysis with the offered losses, against the openEMS model at
#                       the fine, coarse and finest meshes, with the converged shifts
#   docs/em-check.svg   |S21| and |S11| of the program (offered losses) and of the full wave
#
#   bash docs/make_em_check.sh PROGRAM      (PROGRAM = build-program/mandrelix)
#
# The field solver runs on one core: about ten minutes in all, most of it the finest mesh.
set -euo pipefail

. "$(dirname "${BASH_SOURCE[0]}")/script_setup.sh" "$@"

# The worked example (every default of a distributed synthesis), then its analysis from 10 to
# 3000 MHz by 10: with the offered losses, and with none (0.0001, the smallest the dialog keeps).
synthesis='\n2\n1\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n1\n'
printf "${synthesis}"'\n\n\n10\n3000\n10\n\n3\n' > "$work/answers.txt"
printf "${synthesis}"'0.0001\n0.0001\n0.000001\n10\n3000\n10\n\n3\n' > "$work/lossless.txt"
(cd "$work" && "$program" --em-model filter.py --touchstone program.s2p < answers.txt > /dev/null)
(cd "$work" && "$program" --touchstone lossless.s2p < lossless.txt > /dev/null)

# filter.py is the synthesis's model (0 to 3 x FC1), filter-2.py the analysis's.
compare="$root/tools/em_compare"
meshes=fine,coarse,finest
{
  echo "== the program's analysis without losses (like for like: the field solution has none)"
  /usr/bin/python3 "$compare" "$work/filter-2.py" "$work/lossless.s2p" --resolution "$meshes" \
    --converge --threads 1 --keep "$work/em"
  echo
  echo "== the same filter against the program's analysis with the offered losses"
  /usr/bin/python3 "$compare" "$work/filter-2.py" "$work/program.s2p" --resolution "$meshes" \
    --em fine="$work/em/em-fine.s2p" --em coarse="$work/em/em-coarse.s2p" \
    --em finest="$work/em/em-finest.s2p" --plot "$docs/em-check.svg"
} > "$docs/em-check.txt"
echo "wrote $docs/em-check.txt and $docs/em-check.svg"
