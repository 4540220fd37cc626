#!/usr/bin/env bash
# The real varnlink as a user starts it. Without a display it says so in one
# line and exits 1, while --help and --version still work and a mistake on the
# command line is told with status 2; under a virtual X
# server its window appears (found by its title) and, once it is drawn, a
# screenshot of the screen is saved.
#   window_smoke_test.sh VARNLINK FOLDER SCREENSHOT.png
# Exit 77 (skipped) when the X tools are not installed.
set -euo pipefail
varnlink=$1 folder=$2 shot=$3

fail() { echo "window_smoke_test: $*" >&2; exit 1; }

if [[ -z ${VARNLINK_SMOKE_INSIDE_X:-} ]]; then
  no_display="varnlink: cannot open a window: no display (set DISPLAY, or use varnlink-cli for the same audit without a window)"
  silent=""  # a display number no server answers on
  for n in $(seq 200 300); do
    if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then silent=":$n"; break; fi
  done
  for display in "" "$silent"; do
    set +e
    said=$(env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$display" "$varnlink" "$folder" 2>&1 >/dev/null)
    status=$?
    set -e
    [[ $status -eq 1 && $said == "$no_display" ]] ||
      fail "with DISPLAY='$display' varnlink exited $status saying: $said"
  done
  # Qt's own options reach Qt, a value with each ("-display :N" is tried, and
  # fails as above); a mistake is told before any display is needed.
  set +e
  said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$varnlink" -display "$silent" \
    --style=Fusion -reverse "$folder" 2>&1 >/dev/null)
  status=$?
  set -e
  [[ $status -eq 1 && $said == "$no_display" ]] ||
    fail "with -display $silent varnlink exited $status saying: $said"
  expect_usage_error() {  # MESSAGE ARGUMENT...
    local message=$1
    shift
    set +e
    said=$(env -u DISPLAY -u WAYLAND_DISPLAY "$varnlink" "$@" 2>&1 >/dev/null)
    status=$?
    set -e
    [[ $status -eq 2 && $said == "varnlink: $message"$'\n'"Try 'varnlink --help' for more information." ]] ||
      fail "varnlink $* exited $status saying: $said"
  }
  expect_usage_error "unknown option --bogus" --bogus
  expect_usage_error "bad usage" "$folder" "$folder"
  expect_usage_error "--codepage needs auto or a Windows ANSI code page (1250 to 1258, 874, 932, 936, 949, 950 or 65001), not \"866\"" --codepage=866
  expect_usage_error "--map needs DRIVE:=FOLDER, such as C:=/mnt/windows, not \"C=/mnt\"" --map C=/mnt
  help=$(env -u DISPLAY -u WAYLAND_DISPLAY "$varnlink" --help) || fail "--help failed without a display"
  [[ $(head -1 <<<"$help") == "varnlink - "* && $help == *"Usage: varnlink [--codepage auto|N] [--map X:=DIR]... [FOLDER | SHORTCUT]"* ]] ||
    fail "--help says: $help"
  version=$(env -u DISPLAY -u WAYLAND_DISPLAY "$varnlink" --version) ||
    fail "--version failed without a display"
  [[ $version =~ ^varnlink\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version says: $version"
  echo "window_smoke_test: without a display: status 1 and the message; bad usage status 2; --help and --version work"

  for tool in xvfb-run xwininfo import identify compare; do
    if ! command -v "$tool" >/dev/null; then
      echo "window_smoke_test: $tool is not installed (Debian: xvfb, x11-utils, imagemagick); skipped" >&2
      exit 77
    fi
  done
  export VARNLINK_SMOKE_INSIDE_X=1
  exec xvfb-run -a -s "-screen 0 1920x1200x24" "$0" "$@"
fi

export QT_QPA_PLATFORM=xcb
"$varnlink" "$folder" &
pid=$!
trap 'kill $pid 2>/dev/null || true' EXIT

for _ in $(seq 1 100); do
  if xwininfo -name "Varnlink V1.0" 2>/dev/null | grep -q "Map State: IsViewable"; then break; fi
  kill -0 $pid 2>/dev/null || fail "varnlink exited early"
  sleep 0.1
done
info=$(xwininfo -name "Varnlink V1.0") || fail "no window titled 'Varnlink V1.0'"
width=$(awk '/Width:/ {print $2}' <<<"$info")
height=$(awk '/Height:/ {print $2}' <<<"$info")

# Drawn: two screenshots in a row are alike and not one flat colour.
previous=$shot.previous.png
import -window root "$previous"
for _ in $(seq 1 50); do
  import -window root "$shot"
  colours=$(identify -format "%k" "$shot")
  if ((colours >= 8)) && compare -metric AE "$previous" "$shot" null: 2>/dev/null; then
    rm -f "$previous"
    echo "window_smoke_test: ${width}x${height} window, screenshot $shot ($colours colours)"
    exit 0
  fi
  mv "$shot" "$previous"
done
fail "the screen did not settle into a drawn window (last screenshot $previous)"
