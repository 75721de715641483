#!/usr/bin/env bash
# Puts single-line faults into the product, one at a time, and says which of
# them the tests catch.
#   scripts/mutate.sh                   every row of scripts/mutations.txt
#   scripts/mutate.sh 'compiler|rtl'    the rows whose id or file matches the regex
#   scripts/mutate.sh --check [REGEX]   only checks that each row applies
#   MUTATE_CTEST=1 scripts/mutate.sh ...   also runs the clean suite under ctest first
# Prints a Markdown table on stdout: a fault is "caught" when a test fails or
# times out. Each row first builds and runs the test programs its "likely"
# column names; the rest of the suite (every test program ctest knows, but
# source_format and the screenshots) runs only when they all pass. Each
# program runs whole, in ctest's directory: much faster than a process a
# test. The clean tree's programs must all pass first. Builds
# in build/mutate (g++, RelWithDebInfo, ccache, tests on); logs in
# build/mutate/mutation-logs/.
# The file is restored after each row, also when the run is interrupted.
set -uo pipefail

top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
table="$top/scripts/mutations.txt"
build="$top/build/mutate"
logs="$build/mutation-logs"
check_only=0
if [ "${1:-}" = "--check" ]; then
  check_only=1
  shift
fi
filter=${1:-.}

# The busy machine stays usable while this runs.
renice -n 10 $$ >/dev/null 2>&1 || true

# Rows as tab-separated fields: id, file, original, replacement, likely, description.
Rows() {
  python3 - "$table" "$filter" <<'EOF'
import re, sys
table, pattern = sys.argv[1], re.compile(sys.argv[2])
for number, line in enumerate(open(table, encoding="utf-8"), 1):
    if not line.strip() or line.startswith("#"):
        continue
    fields = [f.strip().replace("\\|", "|") for f in line.rstrip("\n").split(" | ")]
    if len(fields) != 6:
        sys.exit(f"{table}:{number}: {len(fields)} fields, not 6")
    if pattern.search(fields[0]) or pattern.search(fields[1]):
        print("\t".join(fields))
EOF
}

# Replaces the one line of FILE whose trimmed text is ORIGINAL, keeping its indent.
Apply() {
  python3 - "$@" <<'EOF'
import sys
path, original, replacement = sys.argv[1:4]
lines = open(path, encoding="utf-8").read().split("\n")
found = [i for i, line in enumerate(lines) if line.strip() == original]
if len(found) != 1:
    sys.exit(f"{path}: the original line is there {len(found)} times, not once: {original}")
i = found[0]
lines[i] = lines[i][: len(lines[i]) - len(lines[i].lstrip())] + replacement
open(path, "w", encoding="utf-8").write("\n".join(lines))
EOF
}

rows=$(Rows) || exit 2
if [ -z "$rows" ]; then
  echo "no row matches $filter" >&2
  exit 2
fi

if [ "$check_only" = 1 ]; then
  status=0
  while IFS=$'\t' read -r id file original replacement likely description; do
    copy=$(mktemp)
    cp "$top/$file" "$copy"
    if Apply "$copy" "$original" "$replacement"; then echo "ok $id"; else status=1; fi
    rm -f "$copy"
  done <<<"$rows"
  exit $status
fi

mkdir -p "$logs"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc -DKIT_TESTS=ON -DKIT_BENCH=OFF \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache >"$logs/configure.log" ||
    { echo "cmake failed: $logs/configure.log" >&2; exit 2; }
fi
export QT_QPA_PLATFORM=offscreen
# Objects of the product are the same in every checkout: let ccache share them.
export CCACHE_NOHASHDIR=1
excluded='^source_format$|screenshots'

BuildAll() { ninja -C "$build" -j2 </dev/null >"$1" 2>&1; }
RunSuite() {
  (cd "$build" && ctest -j2 --timeout 120 -E "$excluded" --output-on-failure) >"$1" 2>&1
}

echo "building the clean tree..." >&2
BuildAll "$logs/clean-build.log" || { echo "the clean tree does not build: $logs/clean-build.log" >&2; exit 2; }

# Test programs, each with the directory ctest runs it in.
declare -A program_dir
while IFS=$'\t' read -r program directory; do
  program_dir[$program]=$directory
done < <(cd "$build" && ctest --show-only=json-v1 | python3 -c '
import json, os, re, sys
seen = {}
for test in json.load(sys.stdin)["tests"]:
    if re.search(sys.argv[1], test["name"]) or "command" not in test:
        continue
    program = test["command"][0]
    directory = next((p["value"] for p in test.get("properties", [])
                      if p["name"] == "WORKING_DIRECTORY"), os.path.dirname(program))
    seen.setdefault(program, directory)
for program, directory in seen.items():
    print(f"{program}\t{directory}")
' "$excluded")

# Runs the test programs whose name matches the first regex and not the
# second, each whole; prints the first that fails, with its first failed test.
RunPrograms() {
  local regex=$1 skip=$2 log=$3 program name failed
  : >"$log"
  for program in "${!program_dir[@]}"; do
    name=$(basename "$program")
    [[ "$name" =~ ^($regex)$ ]] || continue
    [[ "$name" =~ ^($skip)$ ]] && continue
    echo "== $name" >>"$log"
    if ! (cd "${program_dir[$program]}" && timeout 300 "$program") </dev/null >>"$log" 2>&1; then
      # A program killed by the timeout names no failure: the test it was in.
      failed=$(grep -m1 -oE '^(\[  FAILED  \] [^ ]+|FAIL! +: [^ ]+)' "$log" ||
        grep -oE '^\[ RUN      \] [^ ]+' "$log" | tail -1)
      echo "$name $(echo "$failed" | sed 's/.*[]:] *//')"
      return 1
    fi
  done
  return 0
}

LikelyTargets() {
  local regex=$1 program name targets=()
  for program in "${!program_dir[@]}"; do
    name=$(basename "$program")
    [[ "$name" =~ ^($regex)$ ]] && targets+=("$name")
  done
  echo "${targets[*]}"
}

# A program that fails on the clean tree would make every row look caught.
echo "running the clean test programs..." >&2
if failing=$(RunPrograms '.*' '' "$logs/clean-programs.log"); then :; else
  echo "$failing fails on the clean tree: $logs/clean-programs.log" >&2
  exit 2
fi
if [ "${MUTATE_CTEST:-0}" = 1 ] && ! RunSuite "$logs/clean-suite.log"; then
  echo "the clean suite fails under ctest: $logs/clean-suite.log" >&2
  exit 2
fi

backup=""
target_file=""
Restore() {
  if [ -n "$backup" ]; then
    cp "$backup" "$target_file"
    rm -f "$backup"
    backup=""
  fi
}
trap 'Restore; exit 130' INT TERM
trap Restore EXIT

echo "| id | fault | result | caught by |"
echo "| --- | --- | --- | --- |"
missed=0
# The rows come on descriptor 3: what runs inside the loop may read stdin.
while IFS=$'\t' read -r -u 3 id file original replacement likely description; do
  echo "$id: $description" >&2
  target_file="$top/$file"
  backup=$(mktemp)
  cp "$target_file" "$backup"
  if ! Apply "$target_file" "$original" "$replacement" 2>"$logs/$id.apply.log"; then
    Restore
    echo "| $id | $description | NOT APPLIED | $(cat "$logs/$id.apply.log") |"
    missed=$((missed + 1))
    continue
  fi
  result="" by=""
  targets=$(LikelyTargets "$likely")
  if [ -n "$targets" ]; then
    # shellcheck disable=SC2086 # one target a word
    if ! ninja -C "$build" -j2 $targets </dev/null >"$logs/$id.build.log" 2>&1; then
      result="did not build"
    elif ! by=$(RunPrograms "$likely" '' "$logs/$id.likely.log"); then
      result="caught"
    fi
  fi
  if [ -z "$result" ]; then
    if ! BuildAll "$logs/$id.build.log"; then
      result="did not build"
    elif by=$(RunPrograms '.*' "$likely" "$logs/$id.suite.log"); then
      result="NOT caught"
    else
      result="caught"
      by="suite: $by"
    fi
  fi
  Restore
  [ "$result" = "caught" ] || missed=$((missed + 1))
  echo "| $id | $description | $result | $by |"
done 3<<<"$rows"
# The last restored file is built again, so that the tree is clean for the next run.
BuildAll "$logs/final-build.log" >/dev/null 2>&1
exit $((missed > 0))
