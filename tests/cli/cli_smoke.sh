#!/usr/bin/env bash
# The kestrix binary's exit codes and the sample files it is demonstrated on.
set -u
kx=$1
samples=$2
. "$(dirname "$0")/cli_lib.sh"
expect 0 "$kx" --version
expect 0 "$kx" --help
expect 2 "$kx"
expect 2 "$kx" inspect
expect 2 "$kx" no-such-command
printf 'garbage' >"$tmp/garbage"
expect 1 "$kx" inspect "$tmp/garbage"
expect 1 "$kx" dump "$tmp/garbage"
expect 1 "$kx" record "$tmp/garbage"
grep -q . "$tmp/err" || { echo "FAIL: no reason on stderr"; fail=1; }
# A cut container: the reason says what failed and where.
head -c 100 "$samples/fiber-otdr.result" >"$tmp/cut.result"
expect 1 "$kx" inspect "$tmp/cut.result"
grep -qF "corrupt container: truncated at byte 100" "$tmp/err" || { echo "FAIL: no kind and offset in:"; cat "$tmp/err"; fail=1; }
for f in "$samples"/*; do
  # The copper limit database (.mnts) is SQLite, checked below.
  case "$f" in *.mnts) continue ;; esac
  # Bare serialized objects (.blob, .bin) are not containers.
  case "$f" in *.blob|*.bin) ;; *) expect 0 "$kx" inspect "$f" ;; esac
  expect 0 "$kx" dump --json --detail 2 "$f"
  expect 0 "$kx" dump "$f"
  case "$f" in *.result) expect 0 "$kx" record "$f"; expect 0 "$kx" record --json "$f" ;; esac
done
# Asking for JSON is asking for the whole object; --detail lowers it.
"$kx" dump --json "$samples/fiber-otdr.result" >"$tmp/json-default" 2>&1
"$kx" dump --json --detail 2 "$samples/fiber-otdr.result" >"$tmp/json-2" 2>&1
"$kx" dump --json --detail 0 "$samples/fiber-otdr.result" >"$tmp/json-0" 2>&1
cmp -s "$tmp/json-default" "$tmp/json-2" || { echo "FAIL: dump --json is not detail 2"; fail=1; }
cmp -s "$tmp/json-default" "$tmp/json-0" && { echo "FAIL: dump --json --detail 0 changed nothing"; fail=1; }
# SR-4731 export: one file per wavelength, nothing left behind on bad input.
expect 0 "$kx" sor "$samples/fiber-otdr.result" --end 2 -o "$tmp/trace"
[ "$(ls "$tmp"/trace-*.sor | wc -l)" = 4 ] || { echo "FAIL: sor wrote $(ls "$tmp" | grep -c sor) files"; fail=1; }
expect 1 "$kx" sor "$samples/fiber-losslength.result" -o "$tmp/none"
expect 1 "$kx" sor "$samples/copper-cat6a.result" -o "$tmp/none"
expect 2 "$kx" sor "$samples/fiber-otdr.result" --end 3 -o "$tmp/none"
ls "$tmp" | grep -q '^none' && { echo "FAIL: sor left files on bad input"; fail=1; }
if [ -f "$samples/culim.mnts" ]; then
  cu="$samples/copper-cat6a.result"
  expect 0 "$kx" record --json --plots "$cu"
  expect 0 "$kx" wiremap "$cu" -o "$tmp/wm.bmp"
  expect 0 "$kx" wiremap "$cu" -o "$tmp/wm.png" --feet
  expect 1 "$kx" wiremap "$samples/fiber-otdr.result" -o "$tmp/x.png"
  expect 0 "$kx" limits "$samples"
  expect 0 "$kx" limits --json "$samples"
  expect 1 "$kx" limits "$tmp"
  expect 0 "$kx" recertify "$cu" --limit-db "$samples" --limit "TIA Cat 6 Perm. Link" --nvp 69.5 -o "$tmp/re.result"
  expect 0 "$kx" record "$tmp/re.result"
  expect 1 "$kx" recertify "$cu" --limit-db "$samples" --limit "No Such Limit" -o "$tmp/re2.result"
  expect 2 "$kx" recertify "$cu" --limit-db "$samples" -o "$tmp/re3.result"
  expect 0 "$kx" recertify "$cu" -o "$tmp/re4.result"
fi
fo="$samples/fiber-otdr.result"
expect 0 "$kx" record --json --plots "$fo"
grep -q '"OtdrTests"' "$tmp/out" || { echo "FAIL: no fiber tests in the host record"; fail=1; }
expect 0 "$kx" bidi --host "$fo"
expect 1 "$kx" bidi --host "$samples/fiber-losslength.result"
expect 0 "$kx" limit "$samples/fiberlimit-tia-mm.bin"
expect 0 "$kx" limit --json "$samples/fiberlimit-tia-mm.bin"
expect 1 "$kx" limit "$tmp/garbage"
# Plots and the report; a test the result does not hold, or a name that is no result, writes nothing.
expect 0 "$kx" plot "$fo" -o "$tmp/otdr.png" --end 1
expect 0 "$kx" plot "$fo" -o "$tmp/otdr.svg" --feet
expect 0 "$kx" plot "$samples/copper-cat6a.result" -o "$tmp/cu.pdf"
expect 0 "$kx" plot "$samples/copper-cat6a.result" -o "$tmp/next.png" --test next
expect 1 "$kx" plot "$fo" -o "$tmp/none.png" --test next
expect 1 "$kx" plot "$samples/fiber-losslength.result" -o "$tmp/none.png" --test otdr
expect 0 "$kx" plot "$samples/fiber-losslength.result" -o "$tmp/loss.png"
# The numbers of one plot as CSV; several plots in one CSV are refused.
expect 0 "$kx" plot "$samples/copper-cat6a.result" -o "$tmp/next.csv" --test next --end 2
head -1 "$tmp/next.csv" | grep -q '^Frequency (MHz),' || { echo "FAIL: plot CSV header"; fail=1; }
expect 2 "$kx" plot "$samples/copper-cat6a.result" -o "$tmp/none.csv" --test next
expect 2 "$kx" plot "$fo" -o "$tmp/none.bmp"
[ ! -e "$tmp/none.png" ] || { echo "FAIL: a refused plot left a file"; fail=1; }
expect 0 "$kx" report "$samples" -o "$tmp/report.pdf" --title "Smoke"
expect 0 "$kx" report "$fo" "$samples/copper-cat6a.result" -o "$tmp/report.html" --html
expect 1 "$kx" report "$fo" "$tmp/garbage" -o "$tmp/bad.pdf"
[ ! -e "$tmp/bad.pdf" ] || { echo "FAIL: a refused report left a file"; fail=1; }
expect 1 "$kx" report "$tmp/no-such-folder" -o "$tmp/bad.pdf"
# A result cut short: record prints what it can and fails; report names it, or with --keep-going writes it
# as a damaged row and still fails.
head -c 3000 "$samples/copper-cat6a.result" >"$tmp/cut-cu.result"
expect 1 "$kx" record "$tmp/cut-cu.result"
expect 1 "$kx" report "$tmp/cut-cu.result" "$samples/copper-cat6a.result" -o "$tmp/bad.pdf"
grep -qF "cut-cu.result: corrupt container" "$tmp/err" || { echo "FAIL: the cut input is not named"; fail=1; }
[ ! -e "$tmp/bad.pdf" ] || { echo "FAIL: a refused report left a file"; fail=1; }
expect 1 "$kx" report --keep-going "$tmp/cut-cu.result" "$samples/copper-cat6a.result" -o "$tmp/kept.html" --html
grep -q "DAMAGED" "$tmp/kept.html" || { echo "FAIL: no damaged row"; fail=1; }
# The per-link table.
expect 0 "$kx" export "$samples" -o "$tmp/links.csv"
head -1 "$tmp/links.csv" | grep -q '^project,site,cable_id,' || { echo "FAIL: export header"; fail=1; }
expect 0 "$kx" export "$samples" -o "$tmp/links.json" --json
grep -q '"cableId"' "$tmp/links.json" || { echo "FAIL: export JSON keys"; fail=1; }
grep -qF "wrote $tmp/links.json" "$tmp/err" || { echo "FAIL: the file written is not named"; fail=1; }
expect 1 "$kx" export "$tmp/cut-cu.result" -o "$tmp/none.csv"
exit $fail
