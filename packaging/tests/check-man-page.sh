#!/usr/bin/env bash
# A hand-written manual page, checked as lintian checks an installed one: formatted by man with
# every groff warning on, it must give none; and its NAME section must give mandb a whatis line
# "<program> - <what it does>" for the program the page is named after.
# check-man-page.sh MAN LEXGROG PAGE
set -uo pipefail

man=$1
lexgrog=$2
page=$3
program=$(basename "$page" .1)
for needed in "$man" "$lexgrog"; do
    if [ ! -x "$needed" ]; then
        echo "FAIL: '$needed' not found: install the Debian packages with scripts/install-deps" >&2
        exit 1
    fi
done
failures=0

warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 "$man" --warnings -E UTF-8 -l -Tutf8 -Z \
    "$page" 2>&1 >/dev/null)
if [ $? -ne 0 ] || [ -n "$warnings" ]; then
    echo "FAIL: $page: man --warnings:" >&2
    echo "$warnings" >&2
    failures=$((failures + 1))
fi

whatis=$("$lexgrog" "$page" 2>&1)
if [[ ! $whatis =~ ^"$page: \"$program - "[^\"]+\"$ ]]; then
    echo "FAIL: $page: no whatis line for $program: $whatis" >&2
    failures=$((failures + 1))
fi

[ "$failures" -eq 0 ] || exit 1
echo "$page: no warnings, whatis: $whatis"
