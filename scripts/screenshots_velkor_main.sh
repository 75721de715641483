#!/usr/bin/env bash
# Pictures of Velkor's main window, its dialogs, the message window after a
# build and after a compile error, and help, taken under Xvfb with the hello
# example open.
#   scripts/screenshots_velkor_main.sh [FOLDER]     default: build/screenshots/
# The pictures in docs/images/ are made by this script.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(realpath -m "${1:-$top/build/screenshots}")
build="$top/build/test"

if [ ! -f "$build/build.ninja" ]; then
  "$top/scripts/setup.sh" test
fi
ninja -C "$build" velkor-cli ide_main_screenshots_test >/dev/null
mkdir -p "$out"

# The sanitized build reports what D-Bus, under Qt's X11 platform, keeps
# until exit; that is the system library's, not ours.
suppressions=$(mktemp)
trap 'rm -f "$suppressions"' EXIT
echo "leak:libdbus-1.so" >"$suppressions"

VELKOR_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb LSAN_OPTIONS="suppressions=$suppressions" \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/bin/ide_main_screenshots_test" -silent
ls "$out"/velkor-main.png "$out"/velkor-options.png "$out"/velkor-link-order.png \
  "$out"/velkor-remove.png "$out"/velkor-messages.png "$out"/velkor-messages-error.png \
  "$out"/velkor-help.png
