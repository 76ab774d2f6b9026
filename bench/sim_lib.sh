# Shared by the benchmark scripts: sourced after `kx` is set. Gives a work folder $work (removed on exit) and
# start_stocked_sim N, which serves a simulated tester stocked with N extra records on 127.0.0.1 and sets
# $address (127.0.0.1:PORT).
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-bench-XXXXXX")
simpid=
cleanup() {
    [ -n "$simpid" ] && kill "$simpid" 2>/dev/null && wait "$simpid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

start_stocked_sim() {
    "$kx" sim --root "$work/tester" --records "$1" >"$work/sim.log" 2>&1 &
    simpid=$!
    for _ in $(seq 1 600); do
        grep -q 'listening on' "$work/sim.log" && break
        sleep 0.5
    done
    address=$(grep -o 'listening on 127\.0\.0\.1:[0-9]*' "$work/sim.log" | cut -d' ' -f3)
    [ -n "$address" ] || { echo "the simulator did not start" >&2; cat "$work/sim.log" >&2; exit 1; }
}
