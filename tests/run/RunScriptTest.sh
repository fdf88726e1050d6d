#!/usr/bin/env bash
# scripts/run without a display, on the built tree: it reads both simulated radios and leaves no
# simulated radio of its own running or listed, whether it ends by itself or is ended. A radio
# killed outright is not listed either. Arguments: the source folder and the build folder.
set -euo pipefail
root=$1
build=$2

runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
# Published ports and processes of this test are told apart from others by this folder.
export XDG_RUNTIME_DIR=$runtime
export ORVCONF_RUN_BIN=$build
export ORVCONF_TIME_SCALE=0.05
unset DISPLAY WAYLAND_DISPLAY

fail() {
    echo "FAIL: $*" >&2
    [ ! -f "$runtime/out" ] || cat "$runtime/out" >&2
    exit 1
}

# Simulated radios started under this test's folder and still running.
own_sims() {
    local proc
    for proc in /proc/[0-9]*; do
        [ "$(cat "$proc/comm" 2>/dev/null)" = orvconf-sim ] || continue
        if tr '\0' '\n' <"$proc/environ" 2>/dev/null | grep -qxF "XDG_RUNTIME_DIR=$runtime"; then
            echo "${proc#/proc/}"
        fi
    done
}

published() {
    find "$runtime/orvconf-ports" -type f 2>/dev/null | wc -l
}

check_nothing_left() {
    local when=$1 ports
    [ -z "$(own_sims)" ] || fail "$when: simulated radios still running: $(own_sims)"
    ports=$("$build/cli/orvconf-cli" ports)
    if grep -q simulated <<<"$ports"; then fail "$when: still listed: $ports"; fi
    [ "$(published)" = 0 ] || fail "$when: entries left in $runtime/orvconf-ports"
}

for round in 1 2; do
    "$root/scripts/run" >"$runtime/out" 2>&1 || fail "run $round ended with $?"
    grep -q "reading the simulated radios" "$runtime/out" || fail "run $round did not read"
    check_nothing_left "after run $round"
done

# Ended while the radios are up.
"$root/scripts/run" >"$runtime/out" 2>&1 &
script=$!
for _ in $(seq 200); do
    [ "$(published)" != 2 ] || break
    sleep 0.05
done
[ "$(published)" = 2 ] || fail "the simulated radios did not come up"
kill -TERM "$script"
wait "$script" && fail "an ended run reports success" || true
check_nothing_left "after an ended run"

# A radio killed outright cannot withdraw its port.
"$build/sim/orvconf-sim" --family orv </dev/null >"$runtime/out" 2>&1 &
sim=$!
for _ in $(seq 200); do
    [ "$(published)" != 1 ] || break
    sleep 0.05
done
[ "$(published)" = 1 ] || fail "the simulated radio did not come up"
kill -KILL "$sim"
wait "$sim" 2>/dev/null || true
check_nothing_left "after a killed radio"
echo "ok"
