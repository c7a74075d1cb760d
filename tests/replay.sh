#!/bin/sh
# Plays every recorded case the index lists through a built game and compares what it writes,
# byte for byte, with the recorded screen, showing a difference as a unified diff in UTF-8;
# nothing may go to standard error. The game may run inside
# another program, as Wine and node run theirs. With --crlf, every line ends in CR LF. With
# --fail=ERRNO, every other read of the keys and write of the screen fails with ERRNO
# first (strace injects the failure), as signals and non-blocking descriptors make them fail;
# where strace cannot trace, that says so and exits with 77.
#
#     tests/replay.sh CASES [--crlf | --fail=ERRNO] GAME [ARGUMENTS...]
set -eu
cases=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "replay: $*" >&2 && exit 1; }
lines=""
delivery="pipes"
errno=""
case $1 in
  --crlf) lines='s/$/\r/' && delivery="lines ending in CR LF" && shift ;;
  --fail=*) errno=${1#--fail=} && delivery="pipes failing with $errno" && shift ;;
esac
delivery="$delivery to ${1##*/}"
if [ -n "$errno" ]; then
  # strace needs ptrace, which some build machines and containers forbid.
  if ! strace -o /dev/null true 2>/dev/null; then
    echo "replay: skipped: strace cannot trace here (ptrace is not permitted)" && exit 77
  fi
  touch "$work/keys" "$work/screen"
  set -- strace -f -o /dev/null -P "$work/keys" -P "$work/screen" -e trace=read,write \
    -e "inject=read,write:error=$errno:when=1+2" "$@"
fi

count=0
# The cases the index lists, and no others: a copy left from a case that is gone is not played.
while IFS= read -r name; do
  keys="$cases/$name.keys"
  sed "$lines" "$keys" >"$work/keys"
  "$@" <"$work/keys" >"$work/screen" 2>"$work/errors" || fail "$name: exit status $?"
  if ! cmp -s "${keys%.keys}.screen" "$work/screen"; then
    # Shown as a reader reads them; a byte that is no character is left out of the view.
    iconv -c -f CP932 -t UTF-8 "${keys%.keys}.screen" >"$work/recorded" || true
    iconv -c -f CP932 -t UTF-8 "$work/screen" >"$work/shown" || true
    diff -u --label "$name.screen" --label "$name through $delivery" \
      "$work/recorded" "$work/shown" >&2 || true
    fail "$name: other bytes than recorded"
  fi
  [ ! -s "$work/errors" ] || fail "$name: $(cat "$work/errors")"
  count=$((count + 1))
done <"$cases/index"
[ "$count" -ge 30 ] || fail "only $count cases in $cases"
echo "replay: $count cases show their recorded screens"
