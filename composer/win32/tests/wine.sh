#!/usr/bin/env bash
# The composer's Windows build under wine, in the tests' private prefix ($WINEPREFIX):
#   wine.sh prepare WINE              the Chinese UI fonts of Windows mapped to WenQuanYi Micro
#                                     Hei (wine has none of its own: captions would be boxes)
#   wine.sh session WINE COMMAND...   runs COMMAND (a test, inside xvfb-run) with a wine server
#                                     of its own: one left by an earlier run keeps its desktop on
#                                     that run's display (or on none), where no window can open
#   wine.sh run WINE PROGRAM [ARG...] runs PROGRAM in place of this script, with its process id,
#                                     so that the caller can stop it by that id
# Both keep wine quiet and from offering to install Mono or Gecko (a question nobody answers),
# and keep winemenubuilder from putting the installer's Start menu entries into the desktop's
# menus. Sound goes where PULSE_SERVER says.
set -euo pipefail

command=$1
wine=$2
shift 2
: "${WINEPREFIX:?WINEPREFIX must name the private wine prefix of the tests}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml=,winemenubuilder.exe=d'

wineserver=$(dirname "$wine")/wineserver
[ -x "$wineserver" ] || wineserver=wineserver

case $command in
session)
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w
    status=0
    "$@" || status=$?
    "$wineserver" -k 2>/dev/null || true
    exit "$status"
    ;;
prepare)
    reg=$(mktemp --suffix=.reg)
    trap 'rm -f "$reg"' EXIT
    # regedit reads UTF-16 with a byte order mark; the names are those Fonts.cpp asks for.
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
        '"Microsoft YaHei UI"="WenQuanYi Micro Hei"' \
        '"SimSun"="WenQuanYi Micro Hei"' \
        '"宋体"="WenQuanYi Micro Hei"' |
        iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$reg"
    # Wine's drive Z: is the root of the Linux file system.
    DISPLAY='' "$wine" regedit /S "Z:${reg//\//\\}"
    ;;
run)
    # On Windows the audio engine feeds the device from threads that the system runs ahead of
    # other work; under wine those threads (winepulse's) are the program's own and run at its
    # priority. QUILLON_WINE_REALTIME=1 runs the program as Windows runs its audio, at a
    # realtime priority where this user may, so that a busy machine measures the program and
    # not wine.
    if [ "${QUILLON_WINE_REALTIME:-}" = 1 ] && chrt -r 3 true 2>/dev/null; then
        exec chrt -r 3 "$wine" "$@"
    fi
    exec "$wine" "$@"
    ;;
*)
    echo "wine.sh: unknown command '$command'" >&2
    exit 2
    ;;
esac
