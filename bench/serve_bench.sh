#!/bin/bash
# kestrix serve over an import of N records (default 10,000: the simulator's stocked records plus generated
# ones), timed from a client (curl) on 127.0.0.1: the home page counted from the server's start, then the home
# page, links pages and record pages (first visit, with every plot, and again), and when the background reading
# of every record's facts ends. The machine's load is printed with the figures.
#
#   bench/serve_bench.sh build-rel/kestrix [N]
set -euo pipefail

kx=$(realpath "$1")
n=${2:-10000}
. "$(dirname "$0")/sim_lib.sh"
servepid=
trap '[ -n "$servepid" ] && kill "$servepid" 2>/dev/null && wait "$servepid" 2>/dev/null; cleanup' EXIT

start_stocked_sim "$((n > 16 ? n - 16 : 0))"
"$kx" import --ip "$address" --out "$work/out" --no-mark >/dev/null
records=$(find "$work/out" -name '*.result' | wc -l)
kill "$simpid" && wait "$simpid" 2>/dev/null || true
simpid=

now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
timed() { curl -s -o /dev/null -w '%{http_code} %{time_total} %{size_download}' "$1"; }

echo "records: $records; load before start: $(cut -d' ' -f1-3 /proc/loadavg)"
start=$(now)
"$kx" serve "$work/out" --port 0 >"$work/serve.log" 2>&1 &
servepid=$!
url=
until [ -n "$url" ]; do url=$(grep -o 'http://127\.0\.0\.1:[0-9]*/' "$work/serve.log" || true); done
until [ "$(curl -s -o /dev/null -w '%{http_code}' "$url")" = 200 ]; do :; done
echo "home page answered $(elapsed "$start" "$(now)") s after the server was started"

report() {
    read -r code seconds bytes <<<"$(timed "$2")"
    printf '%-38s %s %6.3f s %8d bytes\n' "$1" "$code" "$seconds" "$bytes"
}
for i in 1 2 3; do report "home page ($i)" "$url"; done
report "links page 1 (newest first)" "${url}links"
report "links page 50, sorted by cable id" "${url}links?sort=cable&dir=asc&page=50"
report "links, failures" "${url}links?status=fail"
report "links, search \"A0\"" "${url}links?q=A0"
for id in 1 11 5 5000; do
    report "record $id, first visit" "${url}record/$id"
    plots=$(curl -s "${url}record/$id" | grep -o "/record/$id/plot/[0-9]*\.svg" || true)
    t0=$(now)
    for p in $plots; do curl -s -o /dev/null "${url}${p#/}"; done
    echo "  its $(echo "$plots" | grep -c svg || true) plots, one after another: $(elapsed "$t0" "$(now)") s"
    report "record $id, again" "${url}record/$id"
done
until curl -s "${url}api/status" | grep -q "\"factsKnown\":$records,"; do sleep 0.2; done
echo "every record's facts read $(elapsed "$start" "$(now)") s after the start"
report "links, sorted by worst margin" "${url}links?sort=margin"
report "CSV of every record" "${url}links.csv"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
