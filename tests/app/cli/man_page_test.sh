#!/bin/sh
# A program's man page describes every option its --help names, and formats
# without a warning.
#   man_page_test.sh PROGRAM PAGE
set -eu
program=$1
page=$2

help=$("$program" --help)
# The page as plain text: font changes and the zero-width \& gone, \- a hyphen.
text=$(sed -e 's/\\f[BIRP]//g' -e 's/\\&//g' -e 's/\\-/-/g' "$page")
options=$(printf '%s\n' "$help" | grep -o -e '--[a-z][a-z0-9-]*' | sort -u)
if [ -z "$options" ]; then
  echo "$program --help names no option" >&2
  exit 1
fi
missing=""
for option in $options; do
  printf '%s\n' "$text" | grep -q -E -e "$option([^a-z0-9-]|\$)" || missing="$missing $option"
done
if [ -n "$missing" ]; then
  echo "$page does not describe these options of $program --help:$missing" >&2
  exit 1
fi

if ! command -v groff >/dev/null; then
  echo "groff not found (Debian: groff-base): the page's formatting is not checked"
  exit 0
fi
warnings=$(groff -ww -z -man "$page" 2>&1)
if [ -n "$warnings" ]; then
  printf '%s formats with warnings:\n%s\n' "$page" "$warnings" >&2
  exit 1
fi
