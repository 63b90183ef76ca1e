#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Debian's package checker, lintian, finds no error and no warning in the
# package. The overrides the package carries are shown, so that the log says
# what was accepted and why. Skipped where lintian is not installed.
#   lintian.sh <package directory> <version>
set -euo pipefail
source "$(dirname "$0")/lib.sh"

package_dir=$1
version=$2
command -v lintian >/dev/null 2>&1 ||
  skip "lintian is not installed (Debian package lintian; .ci/run and ./run-examples install it)"
command -v dpkg >/dev/null 2>&1 || fail "dpkg is not installed (Debian package dpkg); it is needed by this test"
make_scratch

deb="$package_dir/seismic-toolkit_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb") in $package_dir"
# lintian warns on standard error when it runs as root; that line is no
# finding about the package.
status=0
lintian --info --show-overrides "$deb" >"$scratch/report" 2>"$scratch/errors" || status=$?
grep -v '^running with root privileges is not recommended!$' "$scratch/errors" >&2 || true
cat "$scratch/report"
findings=$(grep -E '^[EW]: ' "$scratch/report" || true)
[ -z "$findings" ] || fail "lintian reports errors or warnings on $(basename "$deb"):
$findings"
# Status 2 means findings, overridden ones included when they are shown, as
# here; the lines above tell them apart. Any other status is a failure of
# lintian itself.
[ "$status" -eq 0 ] || [ "$status" -eq 2 ] || fail "lintian failed with status $status"
echo "lintian: no error and no warning on $(basename "$deb")"
