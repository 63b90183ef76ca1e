#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# "cpack --config <build>/CPackSourceConfig.cmake" makes the source release
# seismic-toolkit-<version>.tar.gz: every file of the source tree under one
# directory seismic-toolkit-<version>/, and nothing of version control, build
# trees, scratch directories or packages. Unpacked in a scratch directory, it
# passes the README's test command, "cmake --workflow --preset default".
#   source_release.sh <cpack> <cmake> <build directory> <source directory> <version>
set -euo pipefail
source "$(dirname "$0")/lib.sh"

cpack=$1
cmake=$2
build=$3
source_dir=$4
version=$5
release=seismic-toolkit-$version
make_scratch

started=$SECONDS
"$cpack" --config "$build/CPackSourceConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  fail "cpack failed: $(cat "$scratch/cpack.log")"
tarball="$scratch/out/$release.tar.gz"
[ -f "$tarball" ] || fail "cpack made no $release.tar.gz; it made: $(ls "$scratch/out")"

tar -tzf "$tarball" | grep -v '/$' | sort >"$scratch/entries"
outside=$(grep -v "^$release/" "$scratch/entries" || true)
[ -z "$outside" ] || fail "files outside the directory $release/: $outside"
sed "s|^$release/||" "$scratch/entries" >"$scratch/files"

# Nothing of version control, build trees, run-examples' copies, packages made
# in the tree, or the scratch of tools and editors.
stray=$(grep -E '^(\.git(/|$)|build(-[^/]*)?/|scratch/|_CPack_Packages/|[^/]*\.(deb|tar\.gz)$)|(^|/)(\.snakemake|__pycache__)/|~$' \
  "$scratch/files" || true)
[ -z "$stray" ] || fail "the source release holds files that are no sources:
$stray"

# Every file git tracks is there. Files git does not track yet are named, as
# they would go into a release made from this tree.
if [ "$(git -C "$source_dir" rev-parse --show-toplevel 2>/dev/null)" = "$(cd "$source_dir" && pwd -P)" ]; then
  git -C "$source_dir" ls-files | sort >"$scratch/tracked"
  missing=$(comm -23 "$scratch/tracked" "$scratch/files")
  [ -z "$missing" ] || fail "tracked files missing from the source release:
$missing"
  untracked=$(comm -13 "$scratch/tracked" "$scratch/files")
  [ -z "$untracked" ] || printf 'note: files not tracked by git went into the source release:\n%s\n' "$untracked"
else
  echo "note: $source_dir is no git work tree; the files of the release are not compared with git's"
fi
echo "$release.tar.gz: $(wc -l <"$scratch/files") files, made in $((SECONDS - started)) s"

# The README's test command in the unpacked tree, with nothing of this build.
mkdir "$scratch/unpacked"
tar -xzf "$tarball" -C "$scratch/unpacked"
started=$SECONDS
status=0
(cd "$scratch/unpacked/$release" &&
  TOOLKIT_INSIDE_SOURCE_RELEASE_TEST=1 "$cmake" --workflow --preset default) >"$scratch/workflow.log" 2>&1 || status=$?
if [ "$status" -ne 0 ]; then
  tail -n 60 "$scratch/workflow.log" >&2
  fail "cmake --workflow --preset default failed in the unpacked $release (status $status)"
fi
grep -E '^(100% tests passed|[0-9]+% tests passed|Total Test time)' "$scratch/workflow.log" || true
echo "cmake --workflow --preset default passed in the unpacked $release in $((SECONDS - started)) s"
