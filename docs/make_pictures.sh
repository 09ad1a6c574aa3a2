#!/usr/bin/env bash
# Regenerates the pictures of the README from the program itself:
#   docs/response.svg  the response plot of the shipped defaults' coaxial filter, 10 MHz to 3 GHz
#   docs/drawing.svg   the machining drawing of that filter (the 7-section worked example)
#   docs/drawing.dxf   the same drawing for CAD
#   docs/tolerance-envelope.svg, docs/tolerance.txt
#                      the tolerance study of that synthesis (1000 trials, default tolerances,
#                      the mask at most 0.2 dB up to 1000 MHz and at least 25 dB at 1500 MHz)
#   docs/drawing-n9.svg, docs/drawing-n9-short.svg   drawings of two 9-section 2 GHz designs
#                      (Am 0.05 dB: 0.0440 inch end sections; Am 0.00195 dB: 0.0009 inch ones)
#   docs/*.png         each drawing rendered by rsvg-convert (librsvg2-bin), 150 dpi
#
#   bash docs/make_pictures.sh PROGRAM      (make pictures: PROGRAM = build-program/mandrelix)
#
# The program runs in a temporary folder holding the shipped data/ files, answering the dialog
# from a file; every command line it ran is printed, so the README can show them.
set -euo pipefail

. "$(dirname "${BASH_SOURCE[0]}")/script_setup.sh" "$@"

# The distributed synthesis of the shipped defaults (Mandrelix.DEF: Chebyshev 0.1 dB, N = 7,
# FC1 1000 MHz, Zo 50 ohm, the shipped line kinds), then a frequency analysis of the synthesized
# filter from 10 to 3000 MHz in 10 MHz steps. A blank answer takes the value the program offers.
answers=(
  ""                                 # FUNCTION: 2 = synthesis
  2                                  # OPTION: distributed circuit
  1                                  # SUBOPTION: Chebyshev
  "" "" "" "" "" "" "" "" "" "" ""   # source, high, low and load lines as shipped
  "" "" "" "" ""                     # configuration, FC1, Am, N, Zo as shipped
  ""                                 # no report file
  1                                  # next: perform FREQUENCY ANALYSIS
  "" "" ""                           # resistivity, roughness, loss tangent as offered
  10 3000 10                         # start, stop, step, MHz
  ""                                 # no report file
  3                                  # EXIT
)
format="$(printf '%s\\n' "${answers[@]}")"

# Prints a command line, then runs it in the working folder.
say() { echo "\$ $*"; }

say cd "$work"
say printf "'$format'" '> answers.txt'
(cd "$work" && printf "$format" > answers.txt)
study="--plot tolerance.svg --tolerance tolerance.txt --pass-mhz 1000 --pass-db 0.2 --stop-mhz 1500 --stop-db 25"
for options in "--plot response.svg --drawing drawing.svg" "--drawing drawing.dxf" "$study"; do
  say "$program" $options '< answers.txt > console.txt'
  # shellcheck disable=SC2086 # the options are meant to split into words
  (cd "$work" && "$program" $options < answers.txt > console.txt)
done

# The study of the synthesis (the first of the run; the analysis's is tolerance-2.txt).
cp "$work/tolerance-envelope.svg" "$work/tolerance.txt" "$docs"/
echo "copied tolerance-envelope.svg and tolerance.txt to $docs"
# Nine sections, FC1 2000 MHz, the ripple given; the rest as shipped, no analysis.
for design in "n9 0.05" "n9-short 0.00195"; do
  set -- $design
  say printf "'\\n2\\n1\\n\\n\\n\\n\\n\\n\\n\\n\\n\\n\\n\\n\\n2000\\n$2\\n9\\n\\n\\n3\\n'" \
    "| $program --drawing drawing-$1.svg > console.txt"
  (cd "$work" && printf '\n2\n1\n\n\n\n\n\n\n\n\n\n\n\n\n2000\n%s\n9\n\n\n3\n' "$2" |
    "$program" --drawing "drawing-$1.svg" > console.txt)
done

cp "$work/response.svg" "$work/drawing.svg" "$work/drawing.dxf" "$work/drawing-n9.svg" \
  "$work/drawing-n9-short.svg" "$docs"/
for svg in drawing drawing-n9 drawing-n9-short; do
  rsvg-convert -d 150 -p 150 -o "$docs/$svg.png" "$docs/$svg.svg"
done
echo "copied response.svg, drawing.svg, drawing.dxf, drawing-n9.svg, drawing-n9-short.svg and their PNGs to $docs"
