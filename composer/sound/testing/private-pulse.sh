#!/usr/bin/env bash
# Runs a command against a private PulseAudio server whose only (and so default) sink is a
# null sink, and can record what reaches that sink. Works as root without sound hardware and as
# an ordinary user beside a running desktop server, which it never touches: the server lives in
# a private directory, clients are pointed at it and may not spawn another.
#
#   private-pulse.sh [--rate HZ] [--record FILE] [--tail SECONDS] -- COMMAND [ARGS...]
#
# --rate     the null sink's rate and the recording's (default 48000); mono s16le
# --record   raw s16le mono samples of the sink's monitor, from before COMMAND starts until
#            --tail seconds after it ends (default 0.5)
# COMMAND runs with PULSE_SERVER and PULSE_CLIENTCONFIG set; its exit status is the script's.
set -euo pipefail

rate=48000
record=
tail_seconds=0.5
while [ $# -gt 0 ]; do
    case $1 in
    --rate) rate=$2; shift 2 ;;
    --record) record=$2; shift 2 ;;
    --tail) tail_seconds=$2; shift 2 ;;
    --) shift; break ;;
    *) echo "private-pulse: unknown option $1" >&2; exit 2 ;;
    esac
done
[ $# -gt 0 ] || { echo "usage: private-pulse.sh [--rate HZ] [--record FILE] -- COMMAND" >&2; exit 2; }
for tool in pulseaudio pactl parec; do
    command -v "$tool" >/dev/null || { echo "private-pulse: $tool is missing (scripts/install-deps)" >&2; exit 127; }
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/quillon-pulse.XXXXXX")
server_pid=
parec_pid=
keep_pid=
stop_all() {
    if [ -n "$keep_pid" ]; then
        kill "$keep_pid" 2>/dev/null || true
        wait "$keep_pid" 2>/dev/null || true
    fi
    if [ -n "$parec_pid" ]; then
        kill "$parec_pid" 2>/dev/null || true
        wait "$parec_pid" 2>/dev/null || true
    fi
    if [ -n "$server_pid" ]; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$dir"
}
trap stop_all EXIT
trap 'exit 130' INT TERM

mkdir -p "$dir/home" "$dir/runtime" "$dir/state"
chmod 700 "$dir" "$dir/runtime"
printf 'autospawn = no\n' >"$dir/client.conf"

# The server sees only the private directories and no session bus or display, so it neither
# finds nor announces itself to a desktop's server. No realtime: rtkit is on the bus.
env -u DISPLAY -u WAYLAND_DISPLAY \
    HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" XDG_CONFIG_HOME="$dir/home/.config" \
    XDG_STATE_HOME="$dir/state" PULSE_RUNTIME_PATH="$dir/runtime/pulse" \
    PULSE_STATE_PATH="$dir/state" PULSE_CLIENTCONFIG="$dir/client.conf" \
    DBUS_SESSION_BUS_ADDRESS=disabled: DBUS_SYSTEM_BUS_ADDRESS=disabled: \
    pulseaudio -n --daemonize=no --use-pid-file=no --system=no --exit-idle-time=-1 \
    --realtime=no --high-priority=no --log-target="file:$dir/server.log" \
    -L "module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
    -L "module-null-sink sink_name=quillon_null rate=$rate channels=1 format=s16le" \
    </dev/null &
server_pid=$!

export PULSE_SERVER="unix:$dir/native" PULSE_CLIENTCONFIG="$dir/client.conf"
for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
done
if ! pactl info >/dev/null 2>&1; then
    echo "private-pulse: the server did not start:" >&2
    cat "$dir/server.log" >&2 2>/dev/null || true
    exit 1
fi

if [ -n "$record" ]; then
    # An idle null sink renders nothing, in blocks of up to two seconds, so its monitor would
    # miss the start of the first sound: a stream of silence keeps it running.
    pacat --playback --raw --format=s16le --channels=1 --rate="$rate" --latency-msec=20 \
        </dev/zero &
    keep_pid=$!
    parec --device=quillon_null.monitor --raw --format=s16le --channels=1 --rate="$rate" \
        --latency-msec=20 >"$record" &
    parec_pid=$!
    # Record from well before the first sample: wait until a fifth of a second has arrived,
    # which also takes the sink past its first long block.
    for _ in $(seq 200); do
        [ "$(stat -c %s "$record")" -ge $((rate * 2 / 5)) ] && break
        sleep 0.05
    done
fi

status=0
"$@" || status=$?
[ -z "$record" ] || sleep "$tail_seconds"
exit "$status"
