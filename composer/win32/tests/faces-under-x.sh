#!/usr/bin/env bash
# The Windows composer under wine beside the Linux one, as a user sees them: both windows'
# client areas are 555 x 509 pixels, and each of the 87 picture faces stands at its designed
# place in both, pixel for pixel the committed face.
#   faces-under-x.sh LINUX_QUILLON WINDOWS_QUILLON FACES_DIR      (inside xvfb-run)
# QUILLON_LAUNCH runs the Windows program (wine.sh run WINE).
set -uo pipefail
linux=$1
windows=$2
faces=$3
for tool in xdotool import convert compare; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps)" >&2; exit 127; }
done
work=$(mktemp -d)
pid=
cleanup() {
    [ -z "$pid" ] || kill "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Where each face stands in the client area, from the design: note button Command<g><r><c> at
# left 336 + 32 (c - 1), top 32 + 112 (g - 1) + 32 (r - 1); extend, rest and line break at
# 336, 360 and 384 on top 480. A face of 15 x 23 is centred on its 17 x 25 button.
names=()
places=()
for g in 1 2 3 4; do
    for r in 1 2 3; do
        for c in 1 2 3 4 5 6 7; do
            names+=("Command$g$r$c")
            places+=("$((336 + 32 * (c - 1) + 1)) $((32 + 112 * (g - 1) + 32 * (r - 1) + 1))")
        done
    done
done
for bottom in "511 336" "512 360" "514 384"; do
    names+=("Command${bottom% *}")
    places+=("$((${bottom#* } + 1)) 481")
done

# shoot OUT COMMAND...: a screenshot of the program's window as it opens, and its place.
shoot() {
    local out=$1 window X Y WIDTH HEIGHT
    shift
    "$@" &
    pid=$!
    window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Quillon$' | head -1)
    if [ -z "$window" ]; then
        fail "$out: no window"
        return 1
    fi
    # The pointer over the text and the focus in it, as at start: no button is lit.
    xdotool mousemove --window "$window" 150 300
    sleep 1.5
    eval "$(xdotool getwindowgeometry --shell "$window")"
    [ "${WIDTH}x${HEIGHT}" = 555x509 ] || fail "$out: client area ${WIDTH}x${HEIGHT}, designed 555x509"
    import -window root "$work/$out.png"
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    pid=
    # The 87 faces' places side by side.
    local crops=() place
    for place in "${places[@]}"; do
        crops+=('(' -clone 0 -crop "15x23+$((X + ${place% *}))+$((Y + ${place#* }))" +repage ')')
    done
    convert "$work/$out.png" "${crops[@]}" -delete 0 +append "$work/$out-faces.png"
}

files=()
for name in "${names[@]}"; do
    files+=("$faces/$name.png")
done
convert "${files[@]}" +append "$work/designed.png"

# shellcheck disable=SC2086
shoot linux env QT_QPA_PLATFORM=xcb "$linux"
shoot windows ${QUILLON_LAUNCH:-} "$windows"
for shot in linux windows; do
    [ -f "$work/$shot-faces.png" ] || continue
    differing=$(compare -metric AE "$work/designed.png" "$work/$shot-faces.png" null: 2>&1)
    [ "$differing" = 0 ] && continue
    # Which faces: one at a time only now.
    for i in "${!names[@]}"; do
        wrong=$(compare -metric AE "$work/designed.png[15x23+$((15 * i))+0]" \
            "$work/$shot-faces.png[15x23+$((15 * i))+0]" null: 2>&1)
        [ "$wrong" = 0 ] || fail "$shot: ${names[$i]} differs from its face in $wrong pixels"
    done
done

[ "$failures" -eq 0 ] || exit 1
echo "faces: both windows 555x509, all 87 faces in place in both"
