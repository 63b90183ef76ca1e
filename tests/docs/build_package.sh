#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the Debian package with "cpack -G DEB" into an empty directory, for
# the tests that examine it.
#   build_package.sh <cpack> <build directory> <output directory>
set -euo pipefail
source "$(dirname "$0")/lib.sh"

cpack=$1
build=$2
out=$3
rm -rf "$out"
mkdir -p "$out"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  fail "cpack failed: $(cat "$out/cpack.log")"
rm -rf "$out/_CPack_Packages"
packages=("$out"/*.deb)
[ -f "${packages[0]}" ] || fail "cpack made no .deb in $out: $(cat "$out/cpack.log")"
echo "built ${packages[*]}"
