# shellcheck shell=bash
# Shared by click-pace.sh and paste-pace.sh: the median and the spread of their rounds, and the
# line that compares the composer with its floor.

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END {
    printf "%.2f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
spread() { printf '%s\n' "$@" | sort -g | awk 'NR == 1 { lo = $1 } { hi = $1 } END {
    printf "%.2f-%.2f", lo, hi }'; }

# Prints `what`, then the medians of the rounds in the arrays `composer` and `floor`, as
# `measured` (a printf format for one number), their ratio and their spreads in `unit`.
compare() {
    local what=$1 measured=$2 unit=$3
    # shellcheck disable=SC2154 # the caller's arrays
    awk -v c="$(median "${composer[@]}")" -v f="$(median "${floor[@]}")" -v w="$what" \
        -v r="${#composer[@]}" -v cs="$(spread "${composer[@]}")" \
        -v fs="$(spread "${floor[@]}")" -v m="$measured" -v u="$unit" 'BEGIN {
        printf "%s: " m ", bare floor %.2f %s (x%.2f); medians of %d rounds, spread %s and %s %s\n",
            w, c, f, u, c / f, r, cs, fs, u }'
}
