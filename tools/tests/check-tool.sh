#!/usr/bin/env bash
# Runs a table tool the way a user does and checks one group of behaviours.
#   check-tool.sh output      TOOL EXPECTED   whole output, byte for byte; arguments ignored
#   check-tool.sh stdin       TOOL EXPECTED   end of input, closed input, a waiting line; flush
#   check-tool.sh write-error TOOL [ARG...]   output that cannot be written fails loudly, but
#                                             a reader gone ends the tool quietly by SIGPIPE;
#                                             the tool is given ARG (quillon-import, a file)
set -uo pipefail

group=$1
tool=$2
expected=${3:-}
# The tool's own arguments, for write-error.
shift 2
name=$(basename "$tool")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $name: $*" >&2
    failures=$((failures + 1))
}

# expect_status WHAT WANTED GOT
expect_status() {
    [ "$3" -eq "$2" ] || fail "$1: exit status $3, expected $2"
}

# expect_output WHAT FILE: FILE holds exactly the expected bytes.
expect_output() {
    if ! cmp -s "$expected" "$2"; then
        fail "$2: output differs from $(basename "$expected") ($(wc -c <"$2") bytes):"
        cmp "$expected" "$2" >&2
    fi
}

# expect_quiet WHAT FILE: nothing was written to standard error.
expect_quiet() {
    [ -s "$2" ] && fail "$1: unexpected standard error: $(cat "$2")"
}

case $group in
output)
    "$tool" </dev/null >"$work/out" 2>"$work/err"
    expect_status "plain run" 0 $?
    expect_output "plain run" "$work/out"
    expect_quiet "plain run" "$work/err"

    # Any arguments are ignored, options included.
    "$tool" --help -x extra </dev/null >"$work/args" 2>"$work/args.err"
    expect_status "run with arguments" 0 $?
    expect_output "run with arguments" "$work/args"
    expect_quiet "run with arguments" "$work/args.err"

    # Details that an editor or a careless change to the expected file could hide.
    last=$(tail -c 1 "$work/out" | od -An -tx1 | tr -d ' ')
    [ "$last" = 21 ] || fail "closing text must end with '!' and no line feed, last byte is 0x$last"
    if [ "$name" = notecodes ]; then
        heading=$(head -c 26 "$work/out" | tail -c 7 | od -An -tx1 | tr -d ' \n')
        [ "$heading" = b5cdb5cdd2f40a ] || fail "first heading is not GBK bytes: $heading"
        grep -aq $'\xe4\xbd\x8e' "$work/out" && fail "a heading was written as UTF-8"
    fi
    ;;
stdin)
    # Input at its end: no wait.
    timeout 10 "$tool" </dev/null >"$work/eof" 2>"$work/eof.err"
    expect_status "input at end" 0 $?
    expect_output "input at end" "$work/eof"
    expect_quiet "input at end" "$work/eof.err"

    # Input closed altogether.
    timeout 10 "$tool" <&- >"$work/closed" 2>"$work/closed.err"
    expect_status "input closed" 0 $?
    expect_output "input closed" "$work/closed"
    expect_quiet "input closed" "$work/closed.err"

    # A line of input already waiting.
    printf 'y\n' | timeout 10 "$tool" >"$work/line" 2>"$work/line.err"
    expect_status "line waiting" 0 $?
    expect_output "line waiting" "$work/line"
    expect_quiet "line waiting" "$work/line.err"

    # Input open but silent: the tool must still be waiting when the timeout ends it, with the
    # whole output, closing text included, already written to a file (no terminal to flush it).
    sleep 4 | timeout 2 "$tool" >"$work/open" 2>"$work/open.err"
    expect_status "input open, no key" 124 "${PIPESTATUS[1]}"
    expect_output "output flushed before the wait" "$work/open"
    ;;
write-error)
    # A full device: nothing lands, and the failure is reported, not hidden behind status 0.
    timeout 10 "$tool" "$@" </dev/null >/dev/full 2>"$work/full.err"
    expect_status "output to /dev/full" 1 $?
    want="$name: write error: No space left on device"
    [ "$(cat "$work/full.err")" = "$want" ] ||
        fail "output to /dev/full: standard error is '$(cat "$work/full.err")', expected '$want'"
    [ "$(wc -l <"$work/full.err")" -eq 1 ] || fail "output to /dev/full: message is not one line"

    # Standard output closed.
    timeout 10 "$tool" "$@" </dev/null >&- 2>"$work/closed.err"
    expect_status "output closed" 1 $?
    want="$name: write error: Bad file descriptor"
    [ "$(cat "$work/closed.err")" = "$want" ] ||
        fail "output closed: standard error is '$(cat "$work/closed.err")', expected '$want'"

    # A reader that went away (`| head`): the tool ends silently by SIGPIPE, status 128 + 13, as
    # other Unix tools do. Its stdout is a pipe whose reading end is closed before the tool
    # starts, so the outcome does not depend on which process runs first; SIGPIPE is set back
    # to its default in case the caller ignores it.
    timeout 10 perl -e '$SIG{PIPE} = "DEFAULT"; pipe(my $r, my $w) or die; close $r;
        open(STDOUT, ">&", $w) or die; close $w; exec @ARGV or die' \
        "$tool" "$@" </dev/null 2>"$work/pipe.err"
    expect_status "reader gone" 141 $?
    expect_quiet "reader gone" "$work/pipe.err"
    ;;
*)
    echo "check-tool.sh: unknown group '$group'" >&2
    exit 2
    ;;
esac

[ "$failures" -eq 0 ] || exit 1
echo "$name: $group: all checks passed"
