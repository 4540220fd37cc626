#!/bin/sh
# The program help2man reads: runs $VARNLINK_PROGRAM with help2man's option
# and passes its output on in the layout help2man knows: a leading "usage:"
# as "Usage:" (help2man's synopsis), and "label: text" lines indented as
# "label  text", so that each becomes a paragraph of its own under its label.
set -e
output=$("$VARNLINK_PROGRAM" "$@")
printf '%s\n' "$output" | sed -e '1s/^usage:/Usage:/' -e 's/^\([a-z][a-z]*\): \{1,\}/  \1  /'
