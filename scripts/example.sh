#!/usr/bin/env bash
# Installs, builds, then builds each bundled Pascal example as a new project and runs it on the
# simulator, printing what the program writes to its terminal.
#   scripts/example.sh          build and run every example on kavrin-cli
#   scripts/example.sh --ide    open the first example's project in the IDE instead
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
examples=(hello sieve strings longs heap recursion overlays hello_asm)

ide=0
case "${1:-}" in
  "") ;;
  --ide) ide=1 ;;
  *) echo "usage: scripts/example.sh [--ide]" >&2; exit 2 ;;
esac

"$top/scripts/setup.sh" release
bin="$top/build/release/bin"

# Each example is built in a copy, so the checkout stays free of generated files. A Pascal
# example becomes a new project as a user would make it; one with its own .Prj keeps it.
prepare() {
  local work="$top/build/examples/$1"
  rm -rf "$work"
  mkdir -p "$work"
  cp "$top/examples/$1/"* "$work/"
  if [ ! -e "$work/$2.Prj" ]; then
    (cd "$work" && "$bin/velkor-cli" new "$2.Prj" "$2.Pas" >&2)
  fi
  echo "$work"
}

# The example's project name: its .Prj, else its Pascal program's file name.
program_of() {
  local file
  file=$(cd "$top/examples/$1" && ls *.Prj 2>/dev/null || ls *.Pas)
  echo "${file%.*}"
}

if [ "$ide" = 1 ]; then
  name=$(program_of "${examples[0]}")
  work=$(prepare "${examples[0]}" "$name")
  if [ -x "$bin/velkor" ]; then
    exec "$bin/velkor" "$work/$name.Prj"
  fi
  echo "This build has no IDE window (Qt 6 was not found); use the command-line tools (see README.md)." >&2
  exit 1
fi

for example in "${examples[@]}"; do
  name=$(program_of "$example")
  work=$(prepare "$example" "$name")
  "$bin/velkor-cli" build "$work/$name.Prj" >"$work/build.log" || { cat "$work/build.log" >&2; exit 1; }
  echo "--- $name: terminal output on kavrin-cli ---" >&2
  "$bin/kavrin-cli" run "$work/$name.ROM" </dev/null
done
