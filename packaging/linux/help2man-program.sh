#!/bin/sh
# The program help2man reads: runs $VARNLINK_PROGRAM with help2man's option
# and passes its output on in the layout help2man knows:
#  - an opening "PROGRAM - summary" line goes (the page's NAME says it);
#  - a leading "usage:" becomes "Usage:", the spelling help2man takes for the
#    synopsis;
#  - a heading alone on its line ("Exit status:") becomes a section of the
#    page, as help2man already makes of Options, Environment, Files, Examples;
#  - "label: text" lines become "label  text", a paragraph under its label.
set -e
output=$("$VARNLINK_PROGRAM" "$@")
printf '%s\n' "$output" | sed \
  -e '1{/^[^ ][^ ]* - /{N;s/^[^\n]*\n//;/^$/d;};}' \
  -e 's/^usage:/Usage:/' \
  -e '/^\(Options\|Environment\|Files\|Examples\):$/!s/^\([A-Z][A-Za-z ]*\):$/*\1*/' \
  -e 's/^\([a-z][a-z]*\): \{1,\}/  \1  /'
