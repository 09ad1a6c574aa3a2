#!/usr/bin/env bash
# Regenerates the README's worked example of --fit, from the program itself:
#   docs/fit/built7.cxf         the shipped coax7.cxf as built: +4, -3, +2, -4 mil in sections
#                               2, 3, 5, 6 (kept in the tree, as the part the example measures)
#   docs/fit/fit.txt            the fit of coax7.cxf to the built part "measured" by the program's
#                               own analysis (the offered losses), and its correction list
#   docs/fit/fullwave-*.txt     the fits of the lossless analysis of coax7.cxf to the built part's
#                               openEMS full wave (docs/fit/built7-fine.s2p, -coarse.s2p): absolute,
#                               and referred to the full wave of the part as designed
#                               (docs/fit/coax7-fine.s2p, -coarse.s2p)
#   docs/fit.svg                the overlay of the referred fine-mesh fit (--plot)
#
#   bash docs/make_fit_example.sh PROGRAM      (PROGRAM = build-program/mandrelix)
#
# The full-wave files are kept in the tree: each took the field solver 30 s to 3 min. They were
# made by the models the program writes (--em-model) of the two circuits, analysed from 10 to
# 3000 MHz by 10:
#   python3 built7.py docs/fit/built7-fine.s2p --resolution fine     (and coarse; coax7.py alike)
set -euo pipefail

. "$(dirname "${BASH_SOURCE[0]}")/script_setup.sh" "$@"

say() { echo "\$ $*"; }
run() {
  say "$@"
  (cd "$work" && eval "$@")
}
cp "$docs/fit/built7.cxf" "$docs"/fit/*.s2p "$work"/

# The analysis of a circuit file from 10 to 3000 MHz by 10: with the losses the dialog offers,
# and without losses (0.0001, the smallest the dialog keeps), like the lossless field solution.
run "printf '1\\n2\\n2\\nbuilt7.cxf\\n\\n\\n\\n10\\n3000\\n10\\n\\n3\\n' > built.txt"
run "printf '1\\n2\\n2\\ncoax7.cxf\\n\\n\\n\\n10\\n3000\\n10\\n\\n3\\n' > answers.txt"
run "printf '1\\n2\\n2\\ncoax7.cxf\\n0.0001\\n0.0001\\n0.000001\\n10\\n3000\\n10\\n\\n3\\n' > lossless.txt"

# The built part measured by the program, then the nominal circuit fitted to it.
run "\"$program\" --touchstone built7.s2p < built.txt > console.txt"
run "\"$program\" --fit built7.s2p --fit-report fit.txt < answers.txt > console.txt"
# The built part's full wave: fitted absolutely, then referred to the nominal's full wave.
for mesh in fine coarse; do
  run "\"$program\" --fit built7-$mesh.s2p --fit-step-scale none --fit-report fullwave-absolute-$mesh.txt < lossless.txt > console.txt"
  plot=""
  [ "$mesh" = fine ] && plot="--plot fit.svg"
  run "\"$program\" --fit built7-$mesh.s2p --fit-reference coax7-$mesh.s2p --fit-step-scale none --fit-report fullwave-$mesh.txt $plot < lossless.txt > console.txt"
done

cp "$work/fit.txt" "$work"/fullwave-*.txt "$docs/fit/"
cp "$work/fit-fit.svg" "$docs/fit.svg"
echo "copied fit.txt and fullwave-*.txt to $docs/fit, the overlay to $docs/fit.svg"
