#!/usr/bin/env bash
# The print spooler the window's print test uses: CUPS with the cups-pdf queue
# "PDF" as the default printer, plus the X server and tools of the window's
# smoke test. Safe to run again: installed packages, a running scheduler and an
# existing queue are left as they are. Works as root in a container without
# systemd, where nothing starts cupsd for us.
set -euo pipefail
export PATH="$PATH:/usr/sbin:/sbin"  # cupsd and lpadmin live there

PACKAGES=(cups cups-client printer-driver-cups-pdf libcups2-dev poppler-utils fonts-dejavu-core
          xvfb xauth x11-utils imagemagick qt6-base-dev)

sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"

"$(dirname "$0")/../install-missing" "${PACKAGES[@]}"

socket=/run/cups/cups.sock
if ! lpstat -r 2>/dev/null | grep -q "is running"; then
  echo "20-cups: starting cupsd"
  $sudo mkdir -p /run/cups
  $sudo cupsd  # forks into the background once it listens
  for _ in $(seq 1 100); do
    [[ -S $socket ]] && lpstat -r 2>/dev/null | grep -q "is running" && break
    sleep 0.1
  done
  if ! lpstat -r 2>/dev/null | grep -q "is running"; then
    echo "20-cups: cupsd did not come up on $socket" >&2
    tail -n 20 /var/log/cups/error_log >&2 || true
    exit 1
  fi
fi

# The PDF queue writes each job as a PDF into the submitting user's ~/PDF.
ppd=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
if ! lpstat -p PDF >/dev/null 2>&1; then
  echo "20-cups: adding the cups-pdf queue PDF"
  $sudo lpadmin -p PDF -E -v cups-pdf:/ -P "$ppd"
fi
$sudo cupsenable PDF
$sudo cupsaccept PDF
$sudo lpadmin -d PDF
lpstat -d
