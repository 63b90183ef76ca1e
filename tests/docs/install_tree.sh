#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# "cmake --install <build> --prefix <dir>" puts the programs in <dir>/bin, the
# compressed manual pages in <dir>/share/man/man1 and man5, and the copyright,
# the changelog and the README in <dir>/share/doc/seismic-toolkit, and
# nothing else; the installed programs reproduce the examples.
#   install_tree.sh <cmake> <build directory> <built pages directory> <source directory> <section-5 page> <program>...
set -euo pipefail
source "$(dirname "$0")/lib.sh"

cmake=$1
build=$2
built_pages=$3
source_dir=$4
formats_page=$5
shift 5
programs=("$@")
make_scratch
prefix="$scratch/prefix"

"$cmake" --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
  fail "cmake --install failed: $(cat "$scratch/install.log")"

{
  for program in "${programs[@]}"; do
    echo "bin/$program"
    echo "share/man/man1/$program.1.gz"
  done
  echo "share/man/man5/$formats_page.gz"
  for file in copyright changelog.gz README.md.gz; do
    echo "share/doc/seismic-toolkit/$file"
  done
} | sort >"$scratch/expected"
(cd "$prefix" && find . ! -type d | sed 's|^\./||' | sort) >"$scratch/installed"
diff -u "$scratch/expected" "$scratch/installed" >&2 || fail "the installed files differ from the expected ones (- expected, + installed)"

for program in "${programs[@]}"; do
  [ -x "$prefix/bin/$program" ] || fail "$prefix/bin/$program is not executable"
done
# Each page is the page of the build, compressed by gzip -9n: no file name
# and no time stamp in the header (flags, byte 4, and time, bytes 5 to 8, all
# zero), highest compression (extra flags, byte 9, equal to 2).
for page in "${programs[@]/%/.1}" "$formats_page"; do
  installed="$prefix/share/man/man${page##*.}/$page.gz"
  gzip -dc "$installed" | cmp -s - "$built_pages/$page" ||
    fail "the installed page $page differs from the page of the build, $built_pages/$page"
  header=$(od -An -tx1 -j3 -N6 "$installed" | tr -d ' \n')
  [ "$header" = 000000000002 ] || fail "$installed is not compressed as gzip -9n does (header bytes 4-9: $header)"
done

check_examples "$prefix/bin" "$source_dir/examples" "${programs[@]}"
echo "installed ${#programs[@]} programs and $((${#programs[@]} + 1)) manual pages; each program reproduces its example"
