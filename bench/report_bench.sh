#!/bin/bash
# A certification report of N records (default 200: the simulator's stocked records plus generated ones,
# copper and fiber mixed), timed from outside: seconds and peak resident memory of `kestrix report` for the
# PDF and for --html, and the page count. The records come from `kestrix import` of a simulated tester on
# 127.0.0.1.
#
#   bench/report_bench.sh build-rel/kestrix [N]
set -euo pipefail

kx=$(realpath "$1")
n=${2:-200}
work=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-bench-report-XXXXXX")
simpid=
cleanup() {
    [ -n "$simpid" ] && kill "$simpid" 2>/dev/null && wait "$simpid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The stock holds 14 records of its own; the rest are generated.
"$kx" sim --root "$work/tester" --records "$((n > 14 ? n - 14 : 0))" >"$work/sim.log" 2>&1 &
simpid=$!
for _ in $(seq 1 600); do
    grep -q 'listening on' "$work/sim.log" && break
    sleep 0.5
done
address=$(grep -o 'listening on 127\.0\.0\.1:[0-9]*' "$work/sim.log" | cut -d' ' -f3)
[ -n "$address" ] || { echo "the simulator did not start" >&2; cat "$work/sim.log" >&2; exit 1; }
"$kx" import --ip "$address" --out "$work/out" --no-mark >/dev/null
records=$(find "$work/out" -name '*.result' | wc -l)

/usr/bin/time -f '%e %M' -o "$work/pdf.time" "$kx" report "$work/out" -o "$work/report.pdf" >/dev/null
read -r pdf_s pdf_kb <"$work/pdf.time"
/usr/bin/time -f '%e %M' -o "$work/html.time" "$kx" report "$work/out" -o "$work/report.html" --html >/dev/null
read -r html_s html_kb <"$work/html.time"
pages=$(pdfinfo "$work/report.pdf" 2>/dev/null | awk '/^Pages:/ {print $2}')

echo "records: $records"
echo "report PDF:  ${pdf_s} s, peak ${pdf_kb} KiB, ${pages:-?} pages, $(stat -c %s "$work/report.pdf") bytes"
echo "report HTML: ${html_s} s, peak ${html_kb} KiB, $(stat -c %s "$work/report.html") bytes"
