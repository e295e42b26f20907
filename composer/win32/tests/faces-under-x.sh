#!/usr/bin/env bash
# The Windows composer under wine beside the Linux one, as a user sees them: both windows'
# client areas are 555 x 509 pixels, and each of the 87 picture faces stands at its designed
# place in both, pixel for pixel the committed face. At 150 % (144 dots per inch) the Windows
# window is 832 x 763, and its faces, 23 x 35, stand at their places scaled alike.
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

# shoot OUT SCALE COMMAND...: a screenshot of the program's window as it opens at SCALE
# (percent), and the faces at their places side by side.
shoot() {
    local out=$1 scale=$2 window X Y WIDTH HEIGHT
    shift 2
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
    # 8325 x 7635 twips, 1440 to the inch, at 96 dots per inch at 100 %.
    local designed="$((8325 * 96 * scale / 100 / 1440))x$((7635 * 96 * scale / 100 / 1440))"
    [ "${WIDTH}x${HEIGHT}" = "$designed" ] ||
        fail "$out: client area ${WIDTH}x${HEIGHT}, designed $designed"
    import -window root "$work/$out.png"
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    pid=
    # The 87 faces' places side by side.
    # A face (scaled, rounded to the pixel) centred on its button (placed and sized in whole
    # pixels, rounded down).
    local crops=() place left top face_width=$(((15 * scale + 50) / 100))
    local face_height=$(((23 * scale + 50) / 100))
    local button_width=$((17 * scale / 100)) button_height=$((25 * scale / 100))
    for place in "${places[@]}"; do
        left=$(((${place% *} - 1) * scale / 100 + (button_width - face_width) / 2))
        top=$(((${place#* } - 1) * scale / 100 + (button_height - face_height) / 2))
        crops+=('(' -clone 0 -crop "${face_width}x${face_height}+$((X + left))+$((Y + top))"
            +repage ')')
    done
    convert "$work/$out.png" "${crops[@]}" -delete 0 +append "$work/$out-faces.png"
}

files=()
for name in "${names[@]}"; do
    files+=("$faces/$name.png")
done
convert "${files[@]}" +append "$work/designed.png"

# shellcheck disable=SC2086
shoot linux 100 env QT_QPA_PLATFORM=xcb "$linux"
# shellcheck disable=SC2086
shoot windows 100 ${QUILLON_LAUNCH:-} "$windows"
# Windows' scale setting, which a program reads when it starts; back to 100 % afterwards.
dpi_key='HKCU\Control Panel\Desktop'
# shellcheck disable=SC2086
${QUILLON_LAUNCH:-} reg add "$dpi_key" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
# shellcheck disable=SC2086
shoot windows-150 150 ${QUILLON_LAUNCH:-} "$windows"
# shellcheck disable=SC2086
${QUILLON_LAUNCH:-} reg delete "$dpi_key" /v LogPixels /f >/dev/null
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

# At 150 % each new pixel averages the design's pixels it covers (ImageMagick's -scale), so
# each face matches the design scaled so but for rounding.
if [ -f "$work/windows-150-faces.png" ]; then
    convert "${files[@]}" -scale 23x35\! +append "$work/designed-150.png"
    error=$(compare -metric RMSE "$work/designed-150.png" "$work/windows-150-faces.png" null: 2>&1 |
        sed 's/.*(\(.*\))/\1/')
    awk -v e="$error" 'BEGIN { exit !(e < 0.01) }' ||
        fail "windows at 150 %: the faces are not the design scaled by area (RMSE $error)"
fi

[ "$failures" -eq 0 ] || exit 1
echo "faces: both windows 555x509, all 87 faces in place in both; at 150 % 832x763, faces scaled"
