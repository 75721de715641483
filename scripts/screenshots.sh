#!/usr/bin/env bash
# Pictures of every window of both programs with real content (examples built,
# loaded and stopped inside), taken under Xvfb by the screenshot tests.
#   scripts/screenshots.sh [FOLDER]     default: build/screenshots/
# Look at each picture; the ones in docs/images/ are copies of these.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(realpath -m "${1:-$top/build/screenshots}")
build="$top/build/test"
tests=(ide_velkor_screenshots_test kavrin_screenshots_test)

if [ ! -f "$build/build.ninja" ]; then
  "$top/scripts/setup.sh" test
fi
ninja -C "$build" velkor-cli "${tests[@]}" >/dev/null
mkdir -p "$out"

# The sanitized build reports what D-Bus, under Qt's X11 platform, keeps
# until exit; that is the system library's, not ours.
suppressions=$(mktemp)
trap 'rm -f "$suppressions"' EXIT
echo "leak:libdbus-1.so" >"$suppressions"

# Without a window manager the windows have no frames: the pictures show
# each window's contents.
for test in "${tests[@]}"; do
  VELKOR_SCREENSHOT_DIR="$out" KAVRIN_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb \
    LSAN_OPTIONS="suppressions=$suppressions" xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/bin/$test" -silent
done
ls "$out"/*.png
