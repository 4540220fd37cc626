#!/usr/bin/env bash
# The README's screenshots of both windows as a user on today's screens sees
# them: on a virtual 1920 x 1080 screen with a window manager (openbox), the
# window maximised as it starts, after an audit of examples/; and the same at
# 200 % on a 3840 x 2160 screen (QT_SCALE_FACTOR=2 for the Qt window, 192 dots
# per inch in Wine for the Windows one). Each screenshot is taken once the
# screen has settled, not after a fixed wait.
#   tools/screenshots.sh [OUTPUT_FOLDER]     (default: docs)
# Needs build/dev (./build.sh test) and build/windows (bash .ci/after.d/50-wine.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$(realpath "${1:-docs}")
varnlink=$root/build/dev/src/app/qt/varnlink
win_build=$root/build/windows
wine=/usr/lib/wine/wine64
.ci/install-missing openbox xdotool xvfb x11-utils imagemagick

for needed in "$varnlink" "$win_build/src/app/win32/varnlink.exe"; do
  [[ -e $needed ]] || { echo "screenshots: $needed is missing; build it first" >&2; exit 1; }
done

xvfb_pid="" wm_pid="" app_pid=""
stop_screen() {
  for pid in $app_pid $wm_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
  app_pid="" wm_pid="" xvfb_pid=""
}
trap stop_screen EXIT

start_screen() {  # WIDTHxHEIGHT
  local n
  for n in $(seq 90 120); do
    if [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]]; then break; fi
  done
  Xvfb ":$n" -screen 0 "$1x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 1 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  openbox >/dev/null 2>&1 &
  wm_pid=$!
  for _ in $(seq 1 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
    sleep 0.1
  done
}

# The screen once two screenshots in a row are alike and not one flat colour.
settled_shot() {  # OUTPUT.png
  local previous=$1.previous.png
  import -window root "$previous"
  for _ in $(seq 1 100); do
    import -window root "$1"
    if (($(identify -format "%k" "$1") >= 8)) && compare -metric AE "$previous" "$1" null: 2>/dev/null; then
      rm -f "$previous"
      return 0
    fi
    mv "$1" "$previous"
  done
  echo "screenshots: the screen did not settle" >&2
  return 1
}

# Starts a window (the command's arguments; it opens on examples/), waits
# until it is maximised and drawn, presses Audit (it has the focus) with the
# keyboard and takes the screenshot once the report is drawn.
audited_window() {  # OUTPUT.png COMMAND...
  local shot=$1
  shift
  (cd "$root" && "$@") >/dev/null 2>&1 &
  app_pid=$!
  local window
  window=$(xdotool search --sync --name "^Varnlink V")
  for _ in $(seq 1 100); do
    xprop -id "$window" _NET_WM_STATE 2>/dev/null | grep -q MAXIMIZED_VERT && break
    sleep 0.1
  done
  settled_shot "$shot"
  xdotool windowactivate --sync "$window" key space
  settled_shot "$shot"
  stop_screen
  echo "screenshots: $shot"
}

qt_window() {  # SCREEN SCALE OUTPUT.png
  start_screen "$1"
  audited_window "$3" env QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR="$2" "$varnlink" "$root/examples"
}

wine_window() {  # SCREEN DPI OUTPUT.png
  start_screen "$1"
  export WINEPREFIX=$win_build/screenshot-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  rm -rf "$WINEPREFIX"
  "$wine" wineboot --init >/dev/null 2>&1
  "$wine" reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d "$2" /f >/dev/null 2>&1
  /usr/lib/wine/wineserver -w
  audited_window "$3" "$wine" "$win_build/src/app/win32/varnlink.exe" \
    "$("$wine" winepath -w "$root/examples" 2>/dev/null | tr -d '\r')"
  /usr/lib/wine/wineserver -k 2>/dev/null || true
}

qt_window 1920x1080 1 "$out/window.png"
qt_window 3840x2160 2 "$out/window-200.png"
wine_window 1920x1080 96 "$out/win32-window.png"
wine_window 3840x2160 192 "$out/win32-window-200.png"
