#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for FUZZ_SECONDS (default 60) with a 5 s limit per input.
# Fails on any crash, check failure, hang, leak, sanitizer report or build error.
# The starting corpora come from the transcript tests and the shipped data files; they
# are made afresh in the build folder and never committed.
#   FUZZ_SECONDS  seconds per target (default 60)
#   FUZZ_BUILD    build folder (default build-fuzz)
#   FUZZ_TARGETS  targets to run (default: all eight)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)
SECONDS_EACH=${FUZZ_SECONDS:-60}
BUILD=${FUZZ_BUILD:-build-fuzz}
TARGETS=${FUZZ_TARGETS:-"fuzz_read_f13 fuzz_format fuzz_defaults_file fuzz_lumped_file fuzz_coax_file fuzz_program fuzz_design_file fuzz_touchstone"}

GEN=()
command -v ninja >/dev/null 2>&1 && GEN=(-G Ninja)
cmake -S . -B "$BUILD" "${GEN[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DMANDRELIX_FUZZ=ON -DMANDRELIX_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target fuzz_all -j "$(nproc)"

# ---- starting corpora -----------------------------------------------------------
STARTS="$BUILD/starts"
rm -rf "$STARTS" "$BUILD/corpus" "$BUILD/artifacts"
mkdir -p "$BUILD/artifacts"
for t in $TARGETS; do mkdir -p "$STARTS/$t" "$BUILD/corpus/$t"; done
T="$ROOT/tests/transcripts"
for d in "$T"/*/; do
  c=$(basename "$d")
  [ -d "$STARTS/fuzz_program" ] && cp "$d/answers.txt" "$STARTS/fuzz_program/$c"
  if [ -d "$d/setup" ]; then
    for f in "$d"/setup/*; do
      case "$f" in
        *.DEF) [ -d "$STARTS/fuzz_defaults_file" ] && cp "$f" "$STARTS/fuzz_defaults_file/$c.DEF" ;;
        *.lef) [ -d "$STARTS/fuzz_lumped_file" ] && cp "$f" "$STARTS/fuzz_lumped_file/$c.lef" ;;
        *.cxf) [ -d "$STARTS/fuzz_coax_file" ] && cp "$f" "$STARTS/fuzz_coax_file/$c.cxf" ;;
      esac
    done
  fi
done
for f in data/*; do
  case "$f" in
    *.DEF) [ -d "$STARTS/fuzz_defaults_file" ] && cp "$f" "$STARTS/fuzz_defaults_file/" ;;
    *.lef) [ -d "$STARTS/fuzz_lumped_file" ] && cp "$f" "$STARTS/fuzz_lumped_file/" ;;
    *.cxf) [ -d "$STARTS/fuzz_coax_file" ] && cp "$f" "$STARTS/fuzz_coax_file/" ;;
  esac
done
if [ -d "$STARTS/fuzz_design_file" ]; then
  # The design files of the docs and tests, each with and without the shipped defaults.
  for f in docs/*.toml tests/design_file/*.toml; do
    [ -e "$f" ] || continue
    { printf '\x00'; cat "$f"; } > "$STARTS/fuzz_design_file/$(basename "$f")"
    { printf '\x01'; cat "$f"; } > "$STARTS/fuzz_design_file/nodef-$(basename "$f")"
  done
fi
if [ -d "$STARTS/fuzz_read_f13" ]; then
  # Every distinct answer and data line, one file each.
  k=0
  cat "$T"/*/answers.txt data/* | sort -u | while IFS= read -r line; do
    k=$((k + 1))
    printf '%s' "$line" > "$STARTS/fuzz_read_f13/line$k"
  done
fi
if [ -d "$STARTS/fuzz_format" ]; then
  # One starting input per FORMAT index (bytes: mode, index high, index low, values).
  bytes() { printf "$(printf '\\x%02x' "$@")"; }
  for i in $(seq 0 255); do
    bytes $((i % 3)) 0 "$i" 1 2 3 4 5 6 7 > "$STARTS/fuzz_format/f$i"
  done
  for i in $(seq 0 63); do
    bytes 3 $((i % 40)) $((i % 9)) 0 "$i" > "$STARTS/fuzz_format/field$i"
  done
fi
if [ -d "$STARTS/fuzz_touchstone" ]; then
  # Measured two-ports of each version, form and unit the reader takes.
  row='1 0.1 -20 0.9 -80 0.9 -80 0.1 -20'
  printf '! v1\n# GHz S MA R 50\n%s\n2 0.2 10 0.5 170 0.5 170 0.2 10\n' "$row" > "$STARTS/fuzz_touchstone/v1ma"
  printf '# MHz S RI R 75\n100 0.1 0 0.9 0 0.9 0 0.1 0\n200 0 0 1 0 1 0 0 0\n100 1.5 0.3 20 0.4\n' > "$STARTS/fuzz_touchstone/v1noise"
  printf '# Hz S DB\n1e8 -20 10 -0.1 -30 -0.1 -30 -20 10\n' > "$STARTS/fuzz_touchstone/v1db"
  printf '[Version] 2.0\n# MHz S RI R 50\n[Number of Ports] 2\n[Two-Port Data Order] 12_21\n[Number of Frequencies] 2\n[Reference] 50\n 75\n[Matrix Format] Full\n[Network Data]\n0 0 0 1 0 1 0 0 0\n100 0.1 0\n 0.2 0 0.3 0 0.4 0\n[End]\n' > "$STARTS/fuzz_touchstone/v2"
  printf '[Version] 2.0\n# KHz S MA\n[Number of Ports] 2\n[Two-Port Data Order] 21_12\n[Matrix Format] Lower\n[Network Data]\n1e6 0.1 0 0.9 -90 0.2 0\n[Noise Data]\n1 2 3 4 5\n' > "$STARTS/fuzz_touchstone/v2lower"
fi

# ---- runs ---------------------------------------------------------------------
export ASAN_OPTIONS=${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
status=0
passed=0
failed=0
summary=""
for t in $TARGETS; do
  extra=()
  case "$t" in
    fuzz_program) extra=(-dict=fuzz/program.dict -max_len=4096) ;;
    fuzz_read_f13) extra=(-max_len=64) ;;
    fuzz_format) extra=(-max_len=256) ;;
    fuzz_design_file) extra=(-dict=fuzz/design_file.dict -max_len=4096) ;;
    *) extra=(-max_len=8192) ;;
  esac
  log="$BUILD/artifacts/$t.log"
  echo "== $t: ${SECONDS_EACH}s"
  set +e
  "$BUILD/fuzz/$t" -max_total_time="$SECONDS_EACH" -timeout=5 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$BUILD/artifacts/$t-" "${extra[@]}" \
    "$BUILD/corpus/$t" "$STARTS/$t" >"$log" 2>&1
  rc=$?
  set -e
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  cov=$(grep -E '^#[0-9]+' "$log" | tail -1 | sed -n 's/.*cov: \([0-9]*\).*/\1/p')
  corpus=$(find "$BUILD/corpus/$t" -type f | wc -l)
  line=$(printf '%-14s execs %10s  execs/s %7s  cov %5s  corpus %5s  exit %d' \
    "$t" "${execs:-?}" "${rate:-?}" "${cov:-?}" "$corpus" "$rc")
  echo "$line"
  summary+="$line"$'\n'
  if [ "$rc" -eq 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
  if [ "$rc" -ne 0 ]; then
    status=1
    echo "---- $t FAILED; last lines of its log ($log):"
    tail -60 "$log"
    ls -1 "$BUILD/artifacts/" | grep -v '\.log$' || true
  fi
done
echo "== fuzz summary"
printf '%s' "$summary"
echo "fuzz: $passed passed, $failed failed"
exit "$status"
