#!/usr/bin/env bash
# The packages, checked as a user meets them. Makes them with ./build.sh
# package (reusing what the Wine step built in build/windows), then:
#   Debian: installs both .debs with apt on this machine, runs the installed
#     programs, looks up both man pages, validates the desktop entry and the
#     AppStream metadata, checks the icons, runs lintian, removes the packages.
#   Windows, under Wine in a prefix of its own (winemenubuilder off, so that
#     nothing reaches this machine's menus): installs silently for all users,
#     then for the current user alone (/CurrentUser). Each time the installed
#     varnlink-cli.exe audits the examples and the Start-menu shortcut the
#     installer made, whose target must be the installed varnlink.exe; the
#     Apps & features entry's quiet uninstall command must then remove the
#     files, the shortcut and the entry.
# Ends with "package: N passed, N failed" and the step's time.
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
for p in varnlink varnlink-cli; do
  if dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    echo "60-package: $p is installed on this machine already; remove it first" >&2
    exit 1
  fi
done

.ci/install-missing lintian desktop-file-utils appstream man-db wine64
./build.sh package

packages=$root/build/package
(cd "$packages" && sha256sum --check --quiet SHA256SUMS)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/deb/CMakeCache.txt)
app_id=org.varnlink.Varnlink
work=$root/build/package-check
rm -rf "$work"
mkdir -p "$work"

passed=0
failures=()
check() {  # description command...: one check, passed when the command succeeds
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    echo "60-package: FAILED: $what" >&2
    failures+=("$what")
  fi
}

# The report the examples give, from the development build (the package
# build's when there is none): every installed program must give the same
# TARGET lines and result line.
reference_cli=${VARNLINK_LINUX_CLI:-$root/build/dev/src/app/cli/varnlink-cli}
[[ -x $reference_cli ]] || reference_cli=$root/build/deb/src/app/cli/varnlink-cli
"$reference_cli" examples >"$work/reference.txt" 2>"$work/reference.err"
target_lines() { tr -d '\r' <"$1" | grep '^TARGET:' | LC_ALL=C sort; }
same_audit() {  # stdout stderr: the examples' report, as the reference has it
  cmp -s <(target_lines "$1") <(target_lines "$work/reference.txt") &&
    cmp -s <(tail -1 "$2" | tr -d '\r') <(tail -1 "$work/reference.err")
}

# ---- Debian ----------------------------------------------------------------
debs=("$packages/varnlink-cli_${version}_amd64.deb" "$packages/varnlink_${version}_amd64.deb")
remove_debs() {
  $sudo apt-get remove --purge -y -q varnlink varnlink-cli >/dev/null 2>&1 || true
}
trap remove_debs EXIT
echo "60-package: apt-get install ${debs[*]##*/}"
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${debs[@]}" >"$work/apt.log" 2>&1 ||
  { tail -20 "$work/apt.log" >&2; exit 1; }

installed_audit() {
  (cd "$root" && /usr/bin/varnlink-cli examples) >"$work/deb.txt" 2>"$work/deb.err" &&
    same_audit "$work/deb.txt" "$work/deb.err"
}
check "varnlink-cli --version" test "$(/usr/bin/varnlink-cli --version)" = "varnlink-cli $version"
check "the installed varnlink-cli audits the examples" installed_audit
check "varnlink --version (the window's libraries load)" \
  test "$(/usr/bin/varnlink --version)" = "varnlink $version"
check "man -w varnlink varnlink-cli" man -w varnlink varnlink-cli
check "the README and the records' schema in /usr/share/doc" test -f \
  /usr/share/doc/varnlink-cli/README.md.gz -a -f /usr/share/doc/varnlink-cli/record.schema.json \
  -a -f /usr/share/doc/varnlink/README.md.gz
check "the fleet files in /usr/share/varnlink/fleet" test -f \
  /usr/share/varnlink/fleet/Varnlink.mkape -a -f /usr/share/varnlink/fleet/Custom.Windows.Varnlink.yaml
check "desktop-file-validate" desktop-file-validate "/usr/share/applications/$app_id.desktop"
check "appstreamcli validate" appstreamcli validate --no-net "/usr/share/metainfo/$app_id.metainfo.xml"
icons_in_place() {
  local size
  for size in 16 22 24 32 48 64 128 256; do
    [[ -f /usr/share/icons/hicolor/${size}x$size/apps/$app_id.png ]] || return 1
  done
  [[ -f /usr/share/icons/hicolor/scalable/apps/$app_id.svg ]]
}
check "the icons are in the hicolor theme" icons_in_place
# Errors and warnings fail; informational tags are shown, and the README says
# why each of them stays.
check "lintian" lintian --display-info --fail-on error,warning "${debs[@]}"
echo "60-package: apt-get remove varnlink varnlink-cli"
$sudo apt-get remove --purge -y -q varnlink varnlink-cli >>"$work/apt.log" 2>&1
check "the packages are removed" test ! -e /usr/bin/varnlink-cli -a ! -e /usr/bin/varnlink

# ---- Windows, under Wine ---------------------------------------------------
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
wine=/usr/lib/wine/wine64
trap 'remove_debs; /usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
echo "60-package: new Wine prefix in $WINEPREFIX"
"$wine" wineboot --init >"$work/wineboot.log" 2>&1

key='Software\Microsoft\Windows\CurrentVersion\Uninstall\'$app_id
reg_value() {  # hive name: the value of NAME in the uninstall entry, or nothing
  "$wine" reg query "$1\\$key" /v "$2" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
windows_env() { "$wine" cmd /c echo "%$1%" | tr -d '\r'; }

wine_audit() {  # program folder [name]: its stdout and stderr into $work/wine.{txt,err}
  (cd "$root" && "$wine" "$@") >"$work/wine.txt" 2>"$work/wine.err"
}
installed_cli_audits_examples() {  # cli
  wine_audit "$1" examples && same_audit "$work/wine.txt" "$work/wine.err"
}
shortcut_targets() {  # cli programs_folder target: the installer's shortcut has TARGET
  wine_audit "$1" "$2" Varnlink.lnk || return 1
  local line
  line=$(tr -d '\r' <"$work/wine.txt" | grep '^TARGET:')
  echo "  $line"
  # Wine records the installer's empty argument string, which the report
  # shows after a blank as it does any shortcut's arguments.
  [[ $line == "TARGET:   $3" || $line == "TARGET:   $3 " ]]
}
all_gone() {  # hive unix_folder unix_shortcut
  [[ ! -e $2 && ! -e $3 && -z $(reg_value "$1" DisplayName) ]]
}

installer_round() {  # mode hive programs_folder [installer options]
  local mode=$1 hive=$2 programs=$3
  shift 3
  echo "60-package: Windows installer, $mode"
  "$wine" "$packages/varnlink-${version}-win64-setup.exe" /S "$@"
  /usr/lib/wine/wineserver -w
  local folder unix_folder unix_shortcut
  folder=$(reg_value "$hive" InstallLocation)
  check "$mode: Apps & features entry" \
    test "$(reg_value "$hive" DisplayName) $(reg_value "$hive" DisplayVersion)" = "Varnlink $version"
  [[ -n $folder ]] || return 0
  unix_folder=$("$wine" winepath -u "$folder" | tr -d '\r')
  unix_shortcut=$("$wine" winepath -u "$programs\\Varnlink.lnk" | tr -d '\r')
  check "$mode: the installed varnlink-cli.exe audits the examples" \
    installed_cli_audits_examples "$folder\\varnlink-cli.exe"
  check "$mode: the Start-menu shortcut targets the installed varnlink.exe" \
    shortcut_targets "$folder\\varnlink-cli.exe" "$programs" "$folder\\varnlink.exe"

  # As Apps & features would: the entry's quiet uninstall command.
  local quiet uninstaller
  local -a options
  quiet=$(reg_value "$hive" QuietUninstallString)
  uninstaller=${quiet#\"}
  uninstaller=${uninstaller%%\"*}
  read -r -a options <<<"${quiet#\"$uninstaller\"}"
  "$wine" "$uninstaller" "${options[@]}"
  /usr/lib/wine/wineserver -w
  check "$mode: the uninstaller removes the folder, the shortcut and the entry" \
    all_gone "$hive" "$unix_folder" "$unix_shortcut"
}
installer_round "for all users" HKLM "$(windows_env ProgramData)\\Microsoft\\Windows\\Start Menu\\Programs"
installer_round "for the current user" HKCU "$(windows_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs" \
  /CurrentUser

if ((${#failures[@]})); then
  printf '60-package: failed: %s\n' "${failures[@]}" >&2
fi
echo "package: $passed passed, ${#failures[@]} failed (${SECONDS}s)"
((${#failures[@]} == 0))
