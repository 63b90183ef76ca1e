#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Every program has its section-1 manual page, the file formats have their
# section-5 page, and the pages name the right program and section, leave
# their version to the build, and point to one another.
#   manual_pages_present.sh <man directory> <section-5 page> <program>...
set -euo pipefail
source "$(dirname "$0")/lib.sh"

man_dir=$1
formats_page=$2
shift 2
programs=("$@")
[ ${#programs[@]} -gt 0 ] || fail "no program given"
formats_name=${formats_page%.5}
formats_reference=".BR \\%${formats_name//-/\\-} (5)"  # as a SEE ALSO line writes it

# The title line: .TH NAME SECTION DATE "seismic-toolkit @PROJECT_VERSION@" ...
# The build puts the version of the project in place of @PROJECT_VERSION@.
check_title() {
  local page=$1 name=$2 section=$3
  local title
  title=$(grep -m1 '^\.TH ' "$page") || fail "$page has no .TH line"
  local upper=${name^^}
  upper=${upper//-/\\-}
  [[ $title == ".TH $upper $section "* ]] || fail "$page: title line names another page or section: $title"
  [[ $title == *'"seismic-toolkit @PROJECT_VERSION@"'* ]] ||
    fail "$page: the footer of the title line is not \"seismic-toolkit @PROJECT_VERSION@\"," \
      "which the build fills with the project's version: $title"
}

for program in "${programs[@]}"; do
  page="$man_dir/$program.1"
  [ -f "$page" ] || fail "$program has no manual page $page"
  check_title "$page" "$program" 1
  grep -q "^$program \\\\- " "$page" || fail "$page: the NAME line does not begin with \"$program \\-\""
  for section in NAME SYNOPSIS DESCRIPTION FILES "STANDARD OUTPUT" "EXIT STATUS" DIAGNOSTICS EXAMPLES "SEE ALSO"; do
    grep -q "^\.SH \"\?$section\"\?\$" "$page" || fail "$page has no $section section"
  done
  grep -qxF "$formats_reference" "$page" || fail "$page does not refer to $formats_name(5)"
done

# A page in section 1 for something that is no program of the toolkit would
# describe a program that does not exist.
for page in "$man_dir"/*.1; do
  name=$(basename "$page" .1)
  printf '%s\n' "${programs[@]}" | grep -qx -- "$name" || fail "$page describes no program of the toolkit"
done

page="$man_dir/$formats_page"
[ -f "$page" ] || fail "the file formats have no manual page $page"
check_title "$page" "$formats_name" 5
for program in "${programs[@]}"; do
  grep -q "^\.BR $program (1)" "$page" || fail "$page does not refer to $program(1)"
done
echo "${#programs[@]} section-1 pages and $formats_page present"
