#!/usr/bin/env bash
# run-node-tests.sh NODE PROGRAM.js...: GoogleTest programs that emscripten built for node, one
# after the other. Fails when any test fails or a program stops early, and names each at the end.
set -u
node=$1
shift

failed=()
for program in "$@"; do
    if [ ! -f "$program" ]; then
        failed+=("$program is missing (the web build makes it)")
        continue
    fi
    log=$(mktemp)
    # Node's own fetch would make emscripten's loader ask for the .wasm as a URL.
    "$node" --no-experimental-fetch "$program" 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
    mapfile -t names < <(sed -n 's/^\[  FAILED  \] \([^ ,]*\.[^ ,]*\).*/\1/p' "$log" | sort -u)
    failed+=("${names[@]}")
    if [ "$status" -ne 0 ] && ! grep -q '^\[==========\] .* ran\.' "$log"; then
        # No summary of its own: it stopped (an abort, an exception) inside the last test begun.
        last=$(sed -n 's/^\[ RUN      \] //p' "$log" | tail -n 1)
        failed+=("$(basename "$program") stopped with status $status${last:+ in $last}")
    fi
    rm -f "$log"
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "Failed under node:"
    printf '  %s\n' "${failed[@]}"
    exit 1
fi
