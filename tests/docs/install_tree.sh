#!/usr/bin/env bash
# "cmake --install <build> --prefix <dir>" puts the programs in <dir>/bin and
# the manual pages in <dir>/share/man/man1 and man5, and nothing else; the
# installed programs reproduce the examples.
#   install_tree.sh <cmake> <build directory> <source directory> <section-5 page> <program>...
set -euo pipefail
source "$(dirname "$0")/lib.sh"

cmake=$1
build=$2
source_dir=$3
formats_page=$4
shift 4
programs=("$@")
make_scratch
prefix="$scratch/prefix"

"$cmake" --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
  fail "cmake --install failed: $(cat "$scratch/install.log")"

{
  for program in "${programs[@]}"; do
    echo "bin/$program"
    echo "share/man/man1/$program.1"
  done
  echo "share/man/man5/$formats_page"
} | sort >"$scratch/expected"
(cd "$prefix" && find . ! -type d | sed 's|^\./||' | sort) >"$scratch/installed"
diff -u "$scratch/expected" "$scratch/installed" >&2 || fail "the installed files differ from the expected ones (- expected, + installed)"

for program in "${programs[@]}"; do
  [ -x "$prefix/bin/$program" ] || fail "$prefix/bin/$program is not executable"
  cmp -s "$prefix/share/man/man1/$program.1" "$source_dir/docs/man/$program.1" ||
    fail "the installed page of $program differs from docs/man/$program.1"
done
cmp -s "$prefix/share/man/man5/$formats_page" "$source_dir/docs/man/$formats_page" ||
  fail "the installed $formats_page differs from docs/man/$formats_page"

check_examples "$prefix/bin" "$source_dir/examples" "${programs[@]}"
echo "installed ${#programs[@]} programs and $((${#programs[@]} + 1)) manual pages; each program reproduces its example"
