# Compares the runs that analyse-recording heard with the expected list, both given as files:
#   awk [-v sound_ms=MS] -f compare-runs.awk WANTED HEARD
# WANTED lines: "sound HZ MS" or "silence MS"; HEARD lines: "sound START MS HZ" or
# "silence START MS". Each pitch must lie within 0.5 % and each length within 3 %; with
# sound_ms, each sound's length within that many ms instead.
NR == FNR { kind[FNR] = $1; a[FNR] = $2; b[FNR] = $3; wanted = FNR; next }
{
    n = FNR
    if (n > wanted) { printf "unexpected %s at %.1f ms\n", $1, $2; bad++; next }
    if ($1 != kind[n]) { printf "run %d: %s where %s was expected\n", n, $1, kind[n]; bad++; next }
    if ($1 == "sound") {
        hz = $4; ms = $3; want_hz = a[n]; want_ms = b[n]
    } else {
        hz = 0; ms = $3; want_hz = 0; want_ms = a[n]
    }
    if (want_hz > 0 && (hz - want_hz > want_hz * 0.005 || want_hz - hz > want_hz * 0.005)) {
        printf "run %d: %.2f Hz, expected %.2f Hz\n", n, hz, want_hz; bad++
    }
    slack = $1 == "sound" && sound_ms != "" ? sound_ms : want_ms * 0.03
    if (ms - want_ms > slack || want_ms - ms > slack) {
        printf "run %d (%s): %.2f ms, expected %.2f ms\n", n, $1, ms, want_ms; bad++
    }
}
END {
    if (FNR < wanted) { printf "only %d of %d runs heard\n", FNR, wanted; bad++ }
    if (bad) { exit 1 }
    printf "all %d runs as expected\n", wanted
}
