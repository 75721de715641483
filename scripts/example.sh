#!/usr/bin/env bash
# Installs, builds, then builds the bundled example project and runs it on the simulator,
# printing what the program writes to its terminal.
#   scripts/example.sh          build and run on kavrin-cli
#   scripts/example.sh --ide    open the example project in the IDE instead
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
example=hello_asm
project=Hello

ide=0
case "${1:-}" in
  "") ;;
  --ide) ide=1 ;;
  *) echo "usage: scripts/example.sh [--ide]" >&2; exit 2 ;;
esac

"$top/scripts/setup.sh" release
bin="$top/build/release/bin"

# Build a copy, so the checkout stays free of generated files.
work="$top/build/examples/$example"
rm -rf "$work"
mkdir -p "$work"
cp -r "$top/examples/$example/." "$work/"

if [ "$ide" = 1 ]; then
  if [ -x "$bin/Velkor" ]; then
    exec "$bin/Velkor" "$work/$project.Prj"
  fi
  echo "This build has no IDE window yet; use the command-line tools (see README.md)." >&2
  exit 1
fi

"$bin/velkor-cli" build "$work/$project.Prj" >&2
echo "--- terminal output of $project on kavrin-cli ---" >&2
"$bin/kavrin-cli" run "$work/$project.ROM"
