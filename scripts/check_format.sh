#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format makes of it.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
files=$(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror $files 2>/tmp/format-check.$$; then
  grep -E '^[^ ].*: (error|warning):' /tmp/format-check.$$ | cut -d: -f1 | sort -u | sed 's/^/not formatted: /'
  rm -f /tmp/format-check.$$
  echo "run: clang-format -i \$(git ls-files '*.cpp' '*.h')"
  exit 1
fi
rm -f /tmp/format-check.$$
