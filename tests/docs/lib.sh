# SPDX-License-Identifier: MIT
# Helpers shared by the scripts of tests/docs; sourced, not run.

# Ends the test with a message that says what is wrong.
fail() {
  printf 'FAILED: %s\n' "$*" >&2
  exit 1
}

# Ends the test as skipped (exit status 77, which ctest reports as "Skipped")
# with a message that says why.
skip() {
  printf 'SKIPPED: %s\n' "$*"
  exit 77
}

# Fails unless the command is installed; the name of the Debian package that
# provides it goes in the message.
require_command() {
  command -v "$1" >/dev/null 2>&1 || fail "$1 is not installed (Debian package $2); it is needed by this test"
}

# A scratch directory, removed when the script ends however it ends.
make_scratch() {
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/toolkit-docs.XXXXXX")
  trap 'rm -rf "$scratch"' EXIT
}

# Runs each program found in <bin> on a copy of its example working directory
# and compares what it printed and wrote with the example's expected/ files,
# byte for byte: shows that an installed program is the real, working one.
#   check_examples <bin> <examples> <program>...
check_examples() {
  local bin=$1 examples=$2
  shift 2
  local program work expected name status
  for program in "$@"; do
    expected="$examples/$program/expected"
    [ -d "$expected" ] || fail "no example with expected outputs for $program in $examples"
    work=$(mktemp -d "$scratch/$program.XXXXXX")
    find "$examples/$program" -maxdepth 1 -type f -exec cp {} "$work" \;
    status=0
    (cd "$work" && "$bin/$program" >"$work/.stdout" 2>"$work/.stderr") || status=$?
    [ "$status" -eq 0 ] || fail "$bin/$program exited with status $status on its example: $(cat "$work/.stderr")"
    if [ -f "$expected/stderr" ]; then
      cmp -s "$work/.stderr" "$expected/stderr" || fail "$bin/$program: standard error differs from $expected/stderr"
    else
      [ ! -s "$work/.stderr" ] || fail "$bin/$program printed on standard error: $(cat "$work/.stderr")"
    fi
    for name in $(ls "$expected"); do
      case $name in
        stdout) cmp -s "$work/.stdout" "$expected/stdout" || fail "$bin/$program: standard output differs from $expected/stdout" ;;
        stderr) ;;
        *) cmp -s "$work/$name" "$expected/$name" || fail "$bin/$program: $name differs from $expected/$name" ;;
      esac
    done
  done
}
