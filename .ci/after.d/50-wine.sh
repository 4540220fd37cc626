#!/usr/bin/env bash
# The Windows build: cross-compiles every target with MinGW-w64 (the
# "windows" preset), then under Wine (a fresh prefix inside the build folder)
# runs each test program, compares varnlink-cli.exe's report on the examples
# with the Linux build's, and runs the native window's smoke test (not a
# GoogleTest program: it takes the window's path) on a virtual X display.
# Ends with one "wine: N passed, N failed" line.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
build=$root/build/windows
wine=/usr/lib/wine/wine64

echo "50-wine: cross-building (preset windows)"
cmake --preset windows >/dev/null
cmake --build --preset windows -j2

export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# A fixed zone one hour east of UTC without summer time: the local-time test
# checks the conversion against it. Code page 1252 follows from the locale.
export TZ=Etc/GMT-1 LANG=C.UTF-8 LC_ALL=

# A private X display: message boxes, the clipboard and the window need one.
display=""
for n in $(seq 90 120); do
  if [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]]; then display=$n; break; fi
done
[[ -n $display ]] || { echo "50-wine: no free X display number between 90 and 120" >&2; exit 1; }
Xvfb ":$display" -screen 0 1920x1200x24 -nolisten tcp >"$build/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"

cleanup() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

echo "50-wine: new Wine prefix in $WINEPREFIX"
rm -rf "$WINEPREFIX"
"$wine" wineboot --init >"$build/wineboot.log" 2>&1
/usr/lib/wine/wineserver -p 2>/dev/null || true  # keep the server up between programs

passed=0
failed=0
failures=()

run_gtest() {  # program
  local exe=$1 log out
  log=$build/$(basename "$exe" .exe).log
  echo "50-wine: $exe"
  set +e
  (cd "$(dirname "$exe")" && timeout 600 "$wine" "$exe" --gtest_brief=1) 2>&1 | tr -d '\r' >"$log"
  local status=${PIPESTATUS[0]}
  set -e
  grep -E '^\[  (FAILED|PASSED|SKIPPED) |Failure|^\[==========\]' "$log" | tail -40 || true
  local p f
  p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\.$/\1/p' "$log" | tail -1)
  f=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below:$/\1/p' "$log" | tail -1)
  passed=$((passed + ${p:-0}))
  failed=$((failed + ${f:-0}))
  if [[ $status -ne 0 && -z ${f:-} ]]; then
    echo "50-wine: $exe ended with status $status (see $log)" >&2
    tail -20 "$log" >&2
    failed=$((failed + 1))
    failures+=("$exe")
  elif [[ -n ${f:-} ]]; then
    failures+=("$exe")
  fi
}

while IFS= read -r exe; do
  run_gtest "$exe"
done < <(find "$build/tests" -name '*test*.exe' -not -path '*/_googletest/*' \
           -not -name varnlink_smoke_test.exe | sort)

# varnlink-cli.exe on the examples, and on the real corpus when it is there,
# gives the Linux build's report, once the path separators in LOCATION lines
# are made alike, the times are left out (creation and access times differ
# between the two file-system views) and the entries are sorted: each side
# walks folders in its own listing order (Wine lists a folder sorted, Linux in
# directory order). The corpus holds links whose ANSI text is in other code
# pages: both builds read them alike.
cli_check() {  # folder (from the source folder), label
  local folder=$1 label=$2
  local linux_cli=${VARNLINK_LINUX_CLI:-$root/build/dev/src/app/cli/varnlink-cli}
  local win_cli=$build/src/app/cli/varnlink-cli.exe
  if [[ ! -x $linux_cli || ! -f $win_cli || ! -d $root/$folder ]]; then
    echo "50-wine: CLI comparison needs $linux_cli, $win_cli and $folder/" >&2
    failed=$((failed + 1)); failures+=("cli comparison ($label)"); return
  fi
  local normalise='/^CREATED:/d; /^LOCATION:/ s|\\|/|g'
  set +e
  (cd "$root" && "$linux_cli" "$folder") >"$build/cli-linux-$label.txt" 2>"$build/cli-linux-$label.err"
  local linux_status=$?
  (cd "$root" && "$wine" "$win_cli" "$folder") >"$build/cli-wine-$label.txt" 2>"$build/cli-wine-$label.err"
  local wine_status=$?
  set -e
  local side
  for side in linux wine; do
    sed -e "$normalise" "$build/cli-$side-$label.txt" | tr -d '\r' |
      awk 'BEGIN { RS = ""; ORS = "\n" } { gsub(/\n/, " | "); print }' | LC_ALL=C sort \
      >"$build/cli-$side-$label.norm"
  done
  [[ -s $build/cli-linux-$label.norm ]] || echo "50-wine: the Linux CLI wrote no report on $label" >&2
  if [[ $linux_status -eq $wine_status ]] &&
     cmp -s "$build/cli-linux-$label.norm" "$build/cli-wine-$label.norm" &&
     cmp -s <(tail -1 "$build/cli-linux-$label.err") <(tail -1 "$build/cli-wine-$label.err"); then
    echo "50-wine: varnlink-cli.exe gives the Linux report on $label ($(tail -1 "$build/cli-wine-$label.err" | tr -d '\r'))"
    passed=$((passed + 1))
  else
    echo "50-wine: varnlink-cli.exe differs from the Linux build on $label (status $wine_status vs $linux_status):" >&2
    diff "$build/cli-linux-$label.norm" "$build/cli-wine-$label.norm" | head -40 >&2 || true
    diff <(tail -3 "$build/cli-linux-$label.err") <(tail -3 "$build/cli-wine-$label.err") >&2 || true
    failed=$((failed + 1)); failures+=("cli comparison ($label)")
  fi
}
cli_check examples examples
if [[ -d $root/../shared/corpus ]]; then
  cli_check ../shared/corpus corpus
else
  echo "50-wine: $root/../shared/corpus is absent; the corpus comparison is skipped"
fi

# varnlink-cli.exe is for servers and fleets: like the Linux program, it needs
# no window system, so it imports none of the window, drawing or printing DLLs.
imports_check() {
  local win_cli=$build/src/app/cli/varnlink-cli.exe ui
  ui=$(x86_64-w64-mingw32-objdump -p "$win_cli" | sed -n 's/^\tDLL Name: //p' |
       grep -i -E '^(user32|gdi32|winspool|comctl32|comdlg32)\.' || true)
  if [[ -z $ui ]]; then
    echo "50-wine: varnlink-cli.exe imports no window, drawing or printing DLL"
    passed=$((passed + 1))
  else
    echo "50-wine: varnlink-cli.exe imports $(echo $ui)" >&2
    failed=$((failed + 1)); failures+=("varnlink-cli.exe imports")
  fi
}
imports_check

# A reader that stops early (| head) ends varnlink-cli.exe's run quietly with
# status 0, as on Linux: records of the real corpus overflow the pipe, so the
# later writes find its reader gone.
pipe_check() {
  local win_cli=$build/src/app/cli/varnlink-cli.exe corpus=$root/../shared/corpus
  if [[ ! -d $corpus ]]; then
    echo "50-wine: $corpus is absent; the closed-pipe check is skipped"; return
  fi
  set +e
  "$wine" "$win_cli" --format jsonl "$corpus" 2>"$build/pipe.err" | head -c 100 >/dev/null
  local status=${PIPESTATUS[0]}
  set -e
  if [[ $status -eq 0 ]] && ! grep -q "varnlink-cli" "$build/pipe.err"; then
    echo "50-wine: varnlink-cli.exe | head ends quietly with status 0"
    passed=$((passed + 1))
  else
    echo "50-wine: varnlink-cli.exe | head gave status $status: $(head -3 "$build/pipe.err")" >&2
    failed=$((failed + 1)); failures+=("closed pipe")
  fi
}
pipe_check

# The native window: started under Wine, every control checked against the
# layout table, maximised and resized, the shortcut list's names, "Audit" and
# "Copy" pressed by window message, the report read back from the report
# control and the clipboard, and a screenshot taken. It runs on a copy of the
# examples with a shortcut whose name holds a right-to-left override.
smoke=$build/tests/win32/varnlink_smoke_test.exe
if [[ -f $smoke ]]; then
  echo "50-wine: window smoke test"
  smoke_folder=$build/smoke-examples
  rm -rf "$smoke_folder"
  cp -r "$root/examples" "$smoke_folder"
  cp "$smoke_folder/Notepad.lnk" "$smoke_folder/rtl"$'\xe2\x80\xae'"gpj.exe.lnk"
  set +e
  (cd "$smoke_folder" && timeout 300 "$wine" "$smoke" "$build/src/app/win32/varnlink.exe" \
    "$build/win32-window.bmp") >"$build/smoke.log" 2>&1
  status=$?
  set -e
  cat "$build/smoke.log"
  convert "$build/win32-window.bmp" "$build/win32-window.png" 2>/dev/null &&
    echo "50-wine: screenshot in $build/win32-window.png"
  if [[ $status -eq 0 ]]; then passed=$((passed + 1)); else failed=$((failed + 1)); failures+=("window smoke test"); fi
fi

if ((${#failures[@]})); then
  echo "50-wine: failed: ${failures[*]}" >&2
fi
echo "wine: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
