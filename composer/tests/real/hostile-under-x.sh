#!/usr/bin/env bash
# The composer under hostile input in the real window under X: a line of 64,000 findings pasted
# at once must leave the window answering within seconds and idling like any long line, what
# the compiler rejects before and between the braces is underlined, and what it accepts is not.
#   hostile-under-x.sh QUILLON      (inside xvfb-run)
QUILLON=$1
source "$(dirname "$0")/drive.sh"



# Red pixels (the wave under a finding) in Text1 on the screen now.
red_in_text() {
    local origin
    origin=$(xdotool getwindowgeometry "$window" | awk '/Position/ { print $2 }')
    import -window root -crop "305x433+$((${origin%,*} + 8))+$((${origin#*,} + 24))" \
        -depth 8 txt:- |
        awk 'NR > 1 { c = $2; gsub(/[()]/, "", c); split(c, v, ",");
                      if (v[1] > 200 && v[1] - v[2] > 80 && v[1] - v[3] > 80) n++ }
             END { print n + 0 }'
}

# Processor ticks the composer spends in `seconds` with nothing to do but show its text.
idle_ticks() {
    local before after
    before=$(awk '{ print $14 + $15 }' "/proc/$quillon_pid/stat")
    sleep "$1"
    after=$(awk '{ print $14 + $15 }' "/proc/$quillon_pid/stat")
    echo $((after - before))
}

# Pastes `item` `count` times as one line at the end of the text, and returns in `answered`
# the seconds until the window has taken it and answers Ctrl+A, Ctrl+C with the whole text.
paste_line() {
    local item=$1 count=$2 start length
    python3 -c "import sys; sys.stdout.write(sys.argv[1] * int(sys.argv[2]))" "$item" "$count" |
        xclip -selection clipboard
    into_text
    start=$(date +%s%N)
    xdotool key ctrl+v
    for _ in $(seq 300); do
        xdotool key ctrl+a ctrl+c
        sleep 0.05
        length=$(xclip -o -selection clipboard | wc -c)
        [ "$length" -gt $((${#item} * count)) ] && break
    done
    answered=$(awk -v ns=$(($(date +%s%N) - start)) 'BEGIN { printf "%.2f", ns / 1e9 }')
    xdotool key ctrl+End
    sleep 0.5
}

check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok: $what"
    else
        echo "FAIL: $what" >&2
        failures=$((failures + 1))
    fi
}

start_quillon

# The cost of a long line itself: 128,000 characters of good codes.
paste_line "0x73," 25600
good_idle=$(idle_ticks 3)
echo "a line of 25,600 codes: answered after ${answered} s, ${good_idle} ticks idle in 3 s"

clear_button
paste_line "a," 64000
echo "a line of 64,000 findings: answered after ${answered} s"
check "the window answers within 5 s of the paste" \
    awk -v s="$answered" 'BEGIN { exit !(s < 5) }'
sleep 0.5
check "the findings are underlined" test "$(red_in_text)" -gt 50
bad_idle=$(idle_ticks 3)
echo "${bad_idle} ticks idle in 3 s"
check "it idles like a line without findings" test "$bad_idle" -le $((2 * good_idle + 15))

# Braces in the wrong order and no declaration before the "{".
clear_button
end_button
sleep 0.5
check "a clean melody has no red" test "$(red_in_text)" -eq 0
into_text
xdotool key ctrl+a
xdotool type --delay 20 "} const x = } 0x13 {"
sleep 0.5
check "what stands before and between the braces in the wrong order is underlined" \
    test "$(red_in_text)" -gt 10

# What gcc compiles is no error: a character constant, a sign and a binary literal are only
# not what the composer writes (a quiet hint, never the red wave).
clear_button
into_text
xdotool type --delay 20 "'a',-1,0b101,0x00};"
sleep 0.5
check "what the compiler accepts is not underlined in red" test "$(red_in_text)" -eq 0

stop_quillon
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
