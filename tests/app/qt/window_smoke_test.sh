#!/usr/bin/env bash
# Starts the real varnlink under a virtual X server, finds its window by its
# title and takes a screenshot of the screen.
#   window_smoke_test.sh VARNLINK FOLDER SCREENSHOT.png
# Exit 77 (skipped) when the X tools are not installed.
set -euo pipefail
varnlink=$1 folder=$2 shot=$3

for tool in xvfb-run xwininfo import identify; do
  if ! command -v "$tool" >/dev/null; then
    echo "window_smoke_test: $tool is not installed (Debian: xvfb, x11-utils, imagemagick); skipped" >&2
    exit 77
  fi
done

if [[ -z ${VARNLINK_SMOKE_INSIDE_X:-} ]]; then
  export VARNLINK_SMOKE_INSIDE_X=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

export QT_QPA_PLATFORM=xcb
"$varnlink" "$folder" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

for _ in $(seq 1 100); do
  if xwininfo -name "Varnlink V1.0" 2>/dev/null | grep -q "Map State: IsViewable"; then break; fi
  if ! kill -0 $pid 2>/dev/null; then echo "window_smoke_test: varnlink exited early" >&2; exit 1; fi
  sleep 0.1
done
info=$(xwininfo -name "Varnlink V1.0") || { echo "window_smoke_test: no window titled 'Varnlink V1.0'" >&2; exit 1; }
# (qt_main_window_test checks the window's size against the layout table.)
width=$(awk '/Width:/ {print $2}' <<<"$info")
height=$(awk '/Height:/ {print $2}' <<<"$info")
sleep 0.5  # let the first paint finish
import -window root "$shot"
# A screenshot of a drawn window is not one flat colour.
colours=$(identify -format "%k" "$shot")
if ((colours < 8)); then
  echo "window_smoke_test: screenshot $shot has only $colours colours" >&2
  exit 1
fi
echo "window_smoke_test: ${width}x${height} window, screenshot $shot ($colours colours)"
