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
. "$(dirname "$0")/sim_lib.sh"
# The stock holds 120 records of its own; the rest are generated.
start_stocked_sim "$((n > 120 ? n - 120 : 0))"
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
