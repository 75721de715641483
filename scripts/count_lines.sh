#!/usr/bin/env bash
# Counts the code lines of the tests against those of the product.
#   scripts/count_lines.sh
# A code line is a non-blank line of a tracked text file that does not start
# with //, #, ; (or, in Pascal sources, a brace or (* comment). Markdown,
# images and fuzz corpora are not code. The product is everything outside
# tests/, bench/, examples/ and docs/. A second ratio counts only the C++
# sources, where a preprocessor line is code too.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

CountLines() {
  local total=0 file n
  while IFS= read -r file; do
    [ -f "$file" ] || continue
    case "$file" in
      *.md | *.png | *.jpg | *.gif | *.ico | */fuzz_corpus*/*) continue ;;
    esac
    grep -Iq . "$file" || continue # binary or empty
    case "$file" in
      *.pas | *.Pas | *.PAS | *.inc | *.Inc | *.INC) n=$(grep -cvE '^[[:space:]]*($|//|#|;|\{|\(\*)' "$file" || true) ;;
      *) n=$(grep -cvE '^[[:space:]]*($|//|#|;)' "$file" || true) ;;
    esac
    total=$((total + n))
  done
  echo "$total"
}

tests=$(git ls-files tests | CountLines)
product=$(git ls-files | grep -vE '^(tests|bench|examples|docs)/' | CountLines)
echo "tests:   $tests"
echo "product: $product"
awk -v t="$tests" -v p="$product" 'BEGIN { printf "ratio:   %.1f%%\n", 100 * t / p }'
CppLines() { grep -E '\.(cpp|h)$' | xargs cat | grep -cvE '^[[:space:]]*($|//)'; }
cpp_tests=$(git ls-files tests | CppLines)
cpp_product=$(git ls-files | grep -vE '^(tests|bench|examples|docs)/' | CppLines)
awk -v t="$cpp_tests" -v p="$cpp_product" \
  'BEGIN { printf "C++ only: %d / %d = %.1f%%\n", t, p, 100 * t / p }'
for dir in $(git ls-files tests | awk -F/ 'NF > 2 { print $2 }' | sort -u); do
  printf '  tests/%-12s %6d\n' "$dir" "$(git ls-files "tests/$dir" | CountLines)"
done
