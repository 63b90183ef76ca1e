#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Debian package built by "cpack -G DEB" holds the programs, the
# compressed manual pages and the documentation with the right owners and
# modes, carries sound control fields, installs with dpkg into a throwaway
# root, works there, and is removed cleanly.
#   debian_package.sh <package directory> <built pages directory> <source directory> <version> <section-5 page> <program>...
set -euo pipefail
source "$(dirname "$0")/lib.sh"

package_dir=$1
built_pages=$2
source_dir=$3
version=$4
formats_page=$5
shift 5
programs=("$@")
package_name=seismic-toolkit
require_command dpkg-deb dpkg
require_command dpkg dpkg
make_scratch

architecture=$(dpkg --print-architecture)
deb="$package_dir/${package_name}_${version}_${architecture}.deb"
[ -f "$deb" ] || fail "no $(basename "$deb") in $package_dir; there is: $(ls "$package_dir")"

# Statically linked programs need no run-time library; the package then says
# to Debian's checker that they are linked so on purpose.
dynamic=0
for program in "${programs[@]}"; do
  dpkg-deb --fsys-tarfile "$deb" | tar -xOf - "./usr/bin/$program" >"$scratch/program" ||
    fail "the package holds no usr/bin/$program"
  if readelf -d "$scratch/program" 2>/dev/null | grep -q NEEDED; then dynamic=1; fi
  if readelf -S "$scratch/program" | grep -q '\.symtab'; then fail "usr/bin/$program is not stripped"; fi
done

# Contents: exactly the programs (rwxr-xr-x), the compressed pages and the
# documentation (rw-r--r--), all owned by root, in directories rwxr-xr-x.
doc=./usr/share/doc/$package_name
{
  for program in "${programs[@]}"; do
    echo "-rwxr-xr-x root/root ./usr/bin/$program"
    echo "-rw-r--r-- root/root ./usr/share/man/man1/$program.1.gz"
  done
  echo "-rw-r--r-- root/root ./usr/share/man/man5/$formats_page.gz"
  for file in copyright changelog.gz README.md.gz; do
    echo "-rw-r--r-- root/root $doc/$file"
  done
  [ "$dynamic" -eq 1 ] || echo "-rw-r--r-- root/root ./usr/share/lintian/overrides/$package_name"
} | sort >"$scratch/expected"
dpkg-deb -c "$deb" >"$scratch/contents"
awk '$1 !~ /^d/ { print $1, $2, $6 }' "$scratch/contents" | sort >"$scratch/files"
diff -u "$scratch/expected" "$scratch/files" >&2 || fail "the files of the package differ from the expected ones (- expected, + packaged)"
awk '$1 ~ /^d/ && ($1 != "drwxr-xr-x" || $2 != "root/root") { print; bad = 1 } END { exit bad }' "$scratch/contents" >&2 ||
  fail "directories of the package are not rwxr-xr-x root/root"

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = "$package_name" ] || fail "Package is \"$(field Package)\", not $package_name"
[ "$(field Version)" = "$version" ] || fail "Version is \"$(field Version)\", not the project's $version"
[ "$(field Architecture)" = "$architecture" ] || fail "Architecture is \"$(field Architecture)\", not $architecture"
[ "$(field Section)" = science ] || fail "Section is \"$(field Section)\", not science"
[ "$(field Priority)" = optional ] || fail "Priority is \"$(field Priority)\", not optional"
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer \"$(field Maintainer)\" is not of the form: name <address>"
description=$(field Description)
synopsis=${description%%$'\n'*}
[ -n "$synopsis" ] && [ ${#synopsis} -le 80 ] || fail "the synopsis of the Description is empty or longer than 80 characters"
[ "$(printf '%s\n' "$description" | wc -l)" -ge 2 ] || fail "the Description has no extended description"
# Dependencies follow from the linking: statically linked programs need no
# run-time library, dynamically linked ones the C and C++ libraries.
depends=$(field Depends)
if [ "$dynamic" -eq 1 ]; then
  for library in libc6 libstdc++6; do
    [[ ", $depends" == *", $library "* ]] || fail "Depends (\"$depends\") does not name $library"
  done
else
  [ -z "$depends" ] || fail "the programs are statically linked, yet Depends is \"$depends\""
fi

# Installed with dpkg into an empty root: its dependencies are not in that
# root, so they are not checked there.
root="$scratch/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
: >"$root/var/lib/dpkg/status"
dpkg_in_root() { dpkg --root="$root" --log=/dev/null --force-not-root --force-depends "$@"; }
dpkg_in_root -i "$deb" >"$scratch/dpkg.log" 2>&1 || fail "dpkg -i failed: $(cat "$scratch/dpkg.log")"
dpkg_in_root -s "$package_name" 2>/dev/null | grep -qx 'Status: install ok installed' ||
  fail "after dpkg -i, $package_name is not installed in the throwaway root"
for page in "${programs[@]/%/.1}" "$formats_page"; do
  installed="$root/usr/share/man/man${page##*.}/$page.gz"
  gzip -dc "$installed" | cmp -s - "$built_pages/$page" ||
    fail "the packaged page $page differs from the page of the build, $built_pages/$page"
done
gzip -dc "$root/$doc/README.md.gz" | cmp -s - "$source_dir/README.md" || fail "the packaged README differs from README.md"
# The copyright file, in Debian's machine-readable form, carries the notice
# and the text of LICENSE: the continuation lines of its last "License:"
# paragraph, the leading blank taken off and " ." read as an empty line.
copyright="$root/$doc/copyright"
grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright" ||
  fail "$doc/copyright is not in Debian's machine-readable format"
notice=$(sed -n 's/^Copyright (c) //p' "$source_dir/LICENSE")
[ -n "$notice" ] && grep -qxF "Copyright: $notice" "$copyright" || fail "$doc/copyright lacks the notice of LICENSE: $notice"
awk '/^License: / { text = ""; in_text = 1; next }
     in_text && /^ / { line = substr($0, 2); if (line == ".") line = ""; text = text line "\n"; next }
     { in_text = 0 }
     END { printf "%s", text }' "$copyright" >"$scratch/license_text"
sed '1,/^Copyright (c) /d' "$source_dir/LICENSE" | sed '1{/^$/d}' >"$scratch/license_expected"
diff -u "$scratch/license_expected" "$scratch/license_text" >&2 ||
  fail "the license text of $doc/copyright differs from LICENSE (- LICENSE, + copyright)"
check_examples "$root/usr/bin" "$source_dir/examples" "${programs[@]}"

dpkg_in_root -r "$package_name" >"$scratch/dpkg.log" 2>&1 || fail "dpkg -r failed: $(cat "$scratch/dpkg.log")"
left=""
[ ! -d "$root/usr" ] || left=$(find "$root/usr" ! -type d)
[ -z "$left" ] || fail "files left after dpkg -r: $left"
echo "$(basename "$deb"): $(awk '$1 !~ /^d/' "$scratch/contents" | wc -l) files, Depends: $depends; installs, runs and is removed cleanly"
