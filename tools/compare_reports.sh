#!/usr/bin/env bash
# Compares the reports two builds of varnlink-cli write for the same folder,
# both warnings on:
#   1. every shortcut under FOLDER given as a NAME, in one fixed order, so both
#      builds audit in that order: the reports must agree byte for byte;
#   2. the walk of FOLDER: the entries must agree, whatever their order (the
#      duplicate markers, which follow from the order, are left out);
#   3. the records (jsonl and csv) of the same selection with every check on,
#      and their messages: byte for byte.
#   tools/compare_reports.sh OLD_CLI NEW_CLI FOLDER
set -euo pipefail
old=$1 new=$2 folder=${3%/}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mapfile -d '' names < <(cd "$folder" && find . -type f -iname '*.lnk' -printf '%P\0' | LC_ALL=C sort -z)
status=0
for cli in old new; do
  "${!cli}" --warn-duplicates --warn-duplicate-arguments "$folder" "${names[@]}" \
    >"$work/$cli.selected" 2>"$work/$cli.selected.err" || true
  "${!cli}" --warn-duplicates --warn-duplicate-arguments "$folder" \
    >"$work/$cli.walk" 2>"$work/$cli.walk.err" || true
  for format in jsonl csv; do
    "${!cli}" --format "$format" --warn-duplicates --warn-duplicate-arguments --warn-suspicious \
      --check-targets "$folder" "${names[@]}" >"$work/$cli.$format" 2>"$work/$cli.$format.err" || true
  done
  # One entry per line, markers dropped, sorted.
  tr -d '\r' <"$work/$cli.walk" | grep -v -e '^\*\*\* DUPLICATE' -e '^(duplicate located at ' |
    awk 'BEGIN { RS = ""; ORS = "\n" } { gsub(/\n/, " | "); print }' | LC_ALL=C sort >"$work/$cli.entries"
done
if cmp -s "$work/old.selected" "$work/new.selected" &&
   cmp -s "$work/old.selected.err" "$work/new.selected.err"; then
  echo "selection of ${#names[@]} shortcuts: the same report byte for byte ($(wc -c <"$work/new.selected") bytes)"
else
  echo "selection of ${#names[@]} shortcuts: the reports differ:"
  diff <(tr -d '\r' <"$work/old.selected") <(tr -d '\r' <"$work/new.selected") | head -40 || true
  diff "$work/old.selected.err" "$work/new.selected.err" | head -10 || true
  status=1
fi
if cmp -s "$work/old.entries" "$work/new.entries" &&
   cmp -s <(tail -1 "$work/old.walk.err") <(tail -1 "$work/new.walk.err"); then
  echo "walk: the same $(wc -l <"$work/new.entries") entries ($(tail -1 "$work/new.walk.err"))"
else
  echo "walk: the entries differ:"
  diff "$work/old.entries" "$work/new.entries" | head -40 || true
  status=1
fi
for format in jsonl csv; do
  if cmp -s "$work/old.$format" "$work/new.$format" &&
     cmp -s "$work/old.$format.err" "$work/new.$format.err"; then
    echo "$format records, every check on: the same byte for byte ($(wc -c <"$work/new.$format") bytes)"
  else
    echo "$format records, every check on: they differ:"
    diff "$work/old.$format" "$work/new.$format" | head -20 || true
    diff "$work/old.$format.err" "$work/new.$format.err" | head -10 || true
    status=1
  fi
done
exit $status
