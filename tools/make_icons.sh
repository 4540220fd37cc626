#!/usr/bin/env bash
# Renders Varnlink's icons from their sources and writes them into the tree:
# the hicolor PNGs the Linux packages install and the Windows executables'
# varnlink.ico. The 32-pixel image is the window's own pixel icon, the
# 16-pixel one a hand-drawn reduction of it; every other size is rendered
# from the scalable drawing. Run it after changing any of the three sources.
# Needs librsvg2-bin, imagemagick and icoutils.
set -euo pipefail
cd "$(dirname "$0")/.."

icons=packaging/icons/hicolor
svg=$icons/scalable/apps/org.varnlink.Varnlink.svg
name=org.varnlink.Varnlink.png
pixel_sources=([16]=packaging/icons/varnlink-16.xpm [32]=src/app/qt/varnlink_icon.xpm)

for size in 16 22 24 32 48 64 128 256; do
  out=$icons/${size}x${size}/apps/$name
  mkdir -p "$(dirname "$out")"
  if [[ -n ${pixel_sources[$size]:-} ]]; then
    # No time chunks, so that the same source gives the same bytes.
    convert "${pixel_sources[$size]}" -strip -define png:exclude-chunks=date,time "PNG32:$out"
  else
    rsvg-convert --width "$size" --height "$size" "$svg" --output "$out"
  fi
done

# Windows shows 16, 24, 32 and 48 pixels at the usual scalings and 64 and 256
# at high ones; the 256-pixel image is stored as PNG, as Windows expects.
icotool --create --output src/app/win32/varnlink.ico \
  "$icons"/{16x16,24x24,32x32,48x48,64x64}/apps/$name --raw="$icons/256x256/apps/$name"
icotool --list src/app/win32/varnlink.ico
