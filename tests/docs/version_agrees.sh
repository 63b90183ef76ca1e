#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The version of the project (its project() call) is the one the release
# shows everywhere: the package's Version field, the newest entry of its
# changelog, the footer of every packaged manual page, and "--version" of
# every program, both as built and as packaged.
#   version_agrees.sh <version> <package directory> <bin directory> <section-5 page> <program>...
set -euo pipefail
source "$(dirname "$0")/lib.sh"

version=$1
package_dir=$2
bin=$3
formats_page=$4
shift 4
programs=("$@")
require_command dpkg-deb dpkg
make_scratch

[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "the project's version \"$version\" is not of the form major.minor.patch"
deb="$package_dir/seismic-toolkit_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no package of version $version in $package_dir; there is: $(ls "$package_dir")"
packaged=$(dpkg-deb -f "$deb" Version)
[ "$packaged" = "$version" ] || fail "the package's Version field is $packaged, not $version"
mkdir "$scratch/root"
dpkg-deb -x "$deb" "$scratch/root"

newest=$(gzip -dc "$scratch/root/usr/share/doc/seismic-toolkit/changelog.gz" | head -n 1)
[[ $newest == "seismic-toolkit ($version) "* ]] ||
  fail "the newest entry of the changelog (NEWS.md) is not of version $version: $newest"

# The footer is the fourth argument of the title line: .TH NAME SECTION DATE FOOTER ...
for page in "${programs[@]/%/.1}" "$formats_page"; do
  file="$scratch/root/usr/share/man/man${page##*.}/$page.gz"
  [ -f "$file" ] || fail "the package holds no page $page"
  title=$(gzip -dc "$file" | grep -m1 '^\.TH ')
  footer=$(sed -E 's/^\.TH +[^ ]+ +[^ ]+ +[^ ]+ +"([^"]*)".*/\1/' <<<"$title")
  [ "$footer" = "seismic-toolkit $version" ] ||
    fail "the footer of the packaged page $page is \"$footer\", not \"seismic-toolkit $version\""
done

for program in "${programs[@]}"; do
  for executable in "$bin/$program" "$scratch/root/usr/bin/$program"; do
    shown=$(cd "$scratch" && "$executable" --version) || fail "$executable --version failed"
    [ "$shown" = "$program (seismic-toolkit) $version" ] ||
      fail "$executable --version prints \"$shown\", not \"$program (seismic-toolkit) $version\""
  done
done
echo "version $version in the package, its changelog, ${#programs[@]} section-1 pages and $formats_page," \
  "and --version of ${#programs[@]} programs (built and packaged)"
