#!/usr/bin/env bash
# Installs what is missing from Debian's packages and builds one configuration.
#   scripts/setup.sh release   -> build/release (g++, optimised): the programs
#   scripts/setup.sh test      -> build/test    (clang++, ASan/UBSan, fuzz targets)
# Running it again only rebuilds what changed.
set -euo pipefail

mode=${1:-release}
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

packages=(
  g++ clang clang-format libclang-rt-14-dev cmake ninja-build ccache
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libqscintilla2-qt6-dev xvfb xauth
  libz80ex-dev sdcc pasmo
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Rebuilds of a fresh clone reuse the objects of earlier ones.
launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

case "$mode" in
  release)
    build="$top/build/release"
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc -DKIT_TESTS=OFF -DKIT_BENCH=OFF "${launcher[@]}" >/dev/null
    ;;
  bench)
    build="$top/build/bench"
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc -DKIT_TESTS=OFF -DKIT_BENCH=ON "${launcher[@]}" >/dev/null
    ;;
  test)
    build="$top/build/test"
    cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DKIT_SANITIZE=ON \
      -DKIT_TESTS=ON -DKIT_BENCH=OFF "${launcher[@]}" >/dev/null
    ;;
  *)
    echo "usage: scripts/setup.sh release|bench|test" >&2
    exit 2
    ;;
esac
cmake --build "$build"
