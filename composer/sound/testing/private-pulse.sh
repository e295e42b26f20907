#!/usr/bin/env bash
# Runs a command against a private PulseAudio server whose only (and so default) sink is a
# null sink, and can record what reaches that sink. Works as root without sound hardware and as
# an ordinary user beside a running desktop server, which it never touches: the server lives in
# a private directory, clients are pointed at it and may not spawn another.
#
#   private-pulse.sh [--rate HZ] [--record FILE] [--tail SECONDS] [--later] -- COMMAND [ARGS...]
#
# --rate     the null sink's rate and the recording's (default 48000); mono s16le
# --record   raw s16le mono samples of the sink's monitor, from before COMMAND starts until
#            --tail seconds after it ends (default 0.5); while the server is down nothing is
#            recorded, and a server started again appends to the same file
# --later    start no server: COMMAND starts it when it wants one
# COMMAND runs with PULSE_SERVER and PULSE_CLIENTCONFIG set; its exit status is the script's.
# It can drive the server through the command named by QUILLON_PULSE:
#   "$QUILLON_PULSE" start          starts the server (again), returns once it answers
#   "$QUILLON_PULSE" kill [SIGNAL]  kills it by its process id (default TERM), returns once gone
#   "$QUILLON_PULSE" signal SIGNAL  sends it SIGNAL and returns (STOP freezes it, CONT thaws it)
#   "$QUILLON_PULSE" pid            prints its process id; nothing while it is down
set -euo pipefail

# --- Shared by the script and its control command: everything lives in $dir. ---

# Whether process $1 runs (a zombie does not); from /proc, since a bare system may lack ps.
alive() {
    local state
    state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "${state:0:1}" != Z ]
}

# Sends SIGNAL to the process whose id is in FILE and waits up to 5 s until it is gone.
end_pid_file() {
    local file=$1 signal=${2:-TERM} pid
    [ -s "$file" ] || return 0
    pid=$(cat "$file")
    rm -f "$file"
    kill "-$signal" "$pid" 2>/dev/null || true
    # A stopped process keeps any other signal pending.
    kill -CONT "$pid" 2>/dev/null || true
    for _ in $(seq 100); do
        alive "$pid" || return 0
        sleep 0.05
    done
    kill -KILL "$pid" 2>/dev/null || true
}

start_server() {
    # shellcheck source=/dev/null
    source "$dir/config"
    # The server sees only the private directories and no session bus or display, so it neither
    # finds nor announces itself to a desktop's server. All its threads run at realtime priority
    # where this user may (root, or an RLIMIT_RTPRIO), above a desktop's, whose main thread rtkit
    # leaves at nice -11: the tests measure the composer's output, and a server starved by the
    # load they run beside drops out whatever its clients do.
    local realtime=()
    ! chrt -r 5 true 2>/dev/null || realtime=(chrt -r 5)
    env -u DISPLAY -u WAYLAND_DISPLAY \
        HOME="$dir/home" XDG_RUNTIME_DIR="$dir/runtime" XDG_CONFIG_HOME="$dir/home/.config" \
        XDG_STATE_HOME="$dir/state" PULSE_RUNTIME_PATH="$dir/runtime/pulse" \
        PULSE_STATE_PATH="$dir/state" PULSE_CLIENTCONFIG="$dir/client.conf" \
        DBUS_SESSION_BUS_ADDRESS=disabled: DBUS_SYSTEM_BUS_ADDRESS=disabled: \
        "${realtime[@]}" pulseaudio -n --daemonize=no --use-pid-file=no --system=no --exit-idle-time=-1 \
        --realtime=yes --high-priority=yes --log-target="file:$dir/server.log" \
        -L "module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
        -L "module-null-sink sink_name=quillon_null rate=$rate channels=1 format=s16le" \
        </dev/null >/dev/null 2>&1 &
    local pid=$!
    disown "$pid" 2>/dev/null || true
    echo "$pid" >"$dir/server.pid"
    for _ in $(seq 100); do
        pactl info >/dev/null 2>&1 && break
        alive "$pid" || break
        sleep 0.1
    done
    if ! pactl info >/dev/null 2>&1; then
        echo "private-pulse: the server did not start:" >&2
        cat "$dir/server.log" >&2 2>/dev/null || true
        return 1
    fi
    # An idle null sink renders in blocks of up to two seconds, so a stream that starts then is
    # heard up to two seconds late, and a monitor misses its start: a stream of silence keeps the
    # sink rendering in small blocks, as a sound card does. A latency the caller set for the
    # program under test (PULSE_LATENCY_MSEC) is not the helpers'.
    env -u PULSE_LATENCY_MSEC pacat --playback --raw --format=s16le --channels=1 \
        --rate="$rate" --latency-msec=20 </dev/zero >/dev/null 2>&1 &
    echo $! >"$dir/keep.pid"
    local before=0
    if [ -n "$record" ]; then
        before=$(stat -c %s "$record")
        # The recorder is the measuring instrument: on a busy machine a late one loses what
        # the sink played. Realtime too where allowed.
        env -u PULSE_LATENCY_MSEC "${realtime[@]}" parec --device=quillon_null.monitor --raw --format=s16le \
            --channels=1 --rate="$rate" --latency-msec=20 >>"$record" 2>/dev/null &
        echo $! >"$dir/parec.pid"
    fi
    # Return once the sink has left its long block, and a recording has a fifth of a second of
    # silence in front of what comes.
    local latency
    for _ in $(seq 100); do
        latency=$(pactl list sinks 2>/dev/null |
            sed -n 's/^[[:space:]]*Latency: \([0-9]*\) usec.*/\1/p')
        [ -n "$latency" ] && [ "$latency" -lt 50000 ] && break
        sleep 0.05
    done
    [ -n "$record" ] || return 0
    for _ in $(seq 200); do
        [ "$(stat -c %s "$record")" -ge $((before + rate * 2 / 5)) ] && break
        sleep 0.05
    done
}

kill_server() {
    local signal=${1:-TERM}
    # The recorders lose their server with it; end them first so that none is left behind.
    end_pid_file "$dir/parec.pid"
    end_pid_file "$dir/keep.pid"
    end_pid_file "$dir/server.pid" "$signal"
}

if [ "${1:-}" = --control ]; then
    dir=$2
    export PULSE_SERVER="unix:$dir/native" PULSE_CLIENTCONFIG="$dir/client.conf"
    case ${3:-} in
    start) [ ! -s "$dir/server.pid" ] || kill_server; start_server ;;
    kill) kill_server "${4:-TERM}" ;;
    signal) [ ! -s "$dir/server.pid" ] || kill "-${4:?signal}" "$(cat "$dir/server.pid")" ;;
    pid) [ ! -s "$dir/server.pid" ] || cat "$dir/server.pid" ;;
    *) echo "usage: \$QUILLON_PULSE start | kill [SIGNAL] | signal SIGNAL | pid" >&2; exit 2 ;;
    esac
    exit 0
fi

# --- The script itself. ---

rate=48000
record=
tail_seconds=0.5
later=
while [ $# -gt 0 ]; do
    case $1 in
    --rate) rate=$2; shift 2 ;;
    --record) record=$2; shift 2 ;;
    --tail) tail_seconds=$2; shift 2 ;;
    --later) later=1; shift ;;
    --) shift; break ;;
    *) echo "private-pulse: unknown option $1" >&2; exit 2 ;;
    esac
done
[ $# -gt 0 ] || { echo "usage: private-pulse.sh [--rate HZ] [--record FILE] [--later] -- COMMAND" >&2; exit 2; }
for tool in pulseaudio pactl pacat parec; do
    command -v "$tool" >/dev/null || { echo "private-pulse: $tool is missing (scripts/install-deps)" >&2; exit 127; }
done

dir=$(mktemp -d "${TMPDIR:-/tmp}/quillon-pulse.XXXXXX")
stop_all() {
    kill_server
    rm -rf "$dir"
}
trap stop_all EXIT
trap 'exit 130' INT TERM

mkdir -p "$dir/home" "$dir/runtime" "$dir/state"
chmod 700 "$dir" "$dir/runtime"
printf 'autospawn = no\n' >"$dir/client.conf"
[ -z "$record" ] || { record=$(realpath "$record"); : >"$record"; }
printf 'rate=%q\nrecord=%q\n' "$rate" "$record" >"$dir/config"
printf '#!/usr/bin/env bash\nexec bash %q --control %q "$@"\n' "$(realpath "$0")" "$dir" \
    >"$dir/control"
chmod +x "$dir/control"

export PULSE_SERVER="unix:$dir/native" PULSE_CLIENTCONFIG="$dir/client.conf"
export QUILLON_PULSE="$dir/control"
[ -n "$later" ] || start_server || exit 1

status=0
"$@" || status=$?
[ -z "$record" ] || sleep "$tail_seconds"
exit "$status"
