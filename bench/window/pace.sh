# shellcheck shell=bash
# Shared by click-pace.sh and paste-pace.sh: the median and the spread of their rounds.

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END {
    printf "%.2f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
spread() { printf '%s\n' "$@" | sort -g | awk 'NR == 1 { lo = $1 } { hi = $1 } END {
    printf "%.2f-%.2f", lo, hi }'; }
