#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every manual page renders without a single warning from groff, and fits an
# 80-column terminal as man(1) shows it there.
#   manual_pages_render.sh <man directory>
set -euo pipefail
source "$(dirname "$0")/lib.sh"

man_dir=$1
require_command groff groff-base
make_scratch

# The pages hold tables, announced by the first line '\" t: man(1) runs them
# through tbl, and so does this test (-t). A table too wide or a line that
# cannot be broken is reported only for a terminal device, hence the second
# rendering with -Tutf8.
pages=("$man_dir"/*.[1-9])
[ -f "${pages[0]}" ] || fail "no manual page in $man_dir"
terminal_columns=78  # man(1) on an 80-column terminal
for page in "${pages[@]}"; do
  for device in "" -Tutf8; do
    groff -t -man $device -ww -z "$page" 2>"$scratch/warnings" || fail "groff failed on $page: $(cat "$scratch/warnings")"
    [ ! -s "$scratch/warnings" ] || fail "groff ${device:-(default device)} warns about $page:
$(cat "$scratch/warnings")"
  done
  # Plain text, no bold or underline: every line within the terminal width
  # (examples in no-fill mode are not broken by groff, and overflow silently).
  groff -t -man -Tascii -rLL=${terminal_columns}n -P-cbou "$page" >"$scratch/text" 2>/dev/null
  awk -v limit=$terminal_columns -v page="$page" \
    'length($0) > limit { printf "%s: line %d of the rendered page is %d columns wide: %s\n", page, NR, length($0), $0; bad = 1 }
     END { exit bad }' "$scratch/text" >&2 || fail "$page is wider than an 80-column terminal"
done
echo "${#pages[@]} pages render without warnings"
