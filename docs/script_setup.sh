# The start the docs scripts share, sourced with the script's own arguments:
#   . "$(dirname "${BASH_SOURCE[0]}")/script_setup.sh" "$@"
# Checks that the one argument is the mandrelix binary, then sets
#   program  its absolute path
#   docs     this folder; root, the checkout
#   work     a temporary working folder holding the shipped data/ files, removed on exit
if [ $# -ne 1 ] || [ ! -x "$1" ]; then
  echo "usage: bash docs/$(basename "$0") PROGRAM   (the mandrelix binary)" >&2
  exit 2
fi
program="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
docs="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(dirname "$docs")"

work="$(mktemp -d "${TMPDIR:-/tmp}/mandrelix-$(basename "$0" .sh).XXXXXX")"
trap 'rm -rf "$work"' EXIT
cp "$root"/data/* "$work"/
