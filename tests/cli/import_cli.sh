#!/usr/bin/env bash
# kestrix records|import against `kestrix sim`: exit 0 only when every record was listed and imported.
set -u
kx=$1
. "$(dirname "$0")/cli_lib.sh"
start_sim "$tmp/root"
projects="$tmp/root/microsd_userdata/projects"
first=$(cd "$projects" && for d in */; do echo "${d%/}"; break; done)
[ -n "$first" ] || { echo "FAIL: the simulator stocked no project"; exit 1; }

expect 0 "$kx" records --ip "$ip"
listed=$(($(wc -l <"$tmp/out") - 1))
expect 0 "$kx" import --ip "$ip" --out "$tmp/all" --no-mark
has "$listed of $listed records imported: $listed new, 0 already there, 0 failed"
# Each host record beside a result is what `kestrix record --json` prints for that result, byte for byte.
compared=0
while IFS= read -r -d '' result; do
  "$kx" record --json "$result" >"$tmp/record.json" 2>"$tmp/err" || { echo "FAIL: record --json $result"; fail=1; }
  cmp -s "$tmp/record.json" "${result%.result}.json" || { echo "FAIL: ${result%.result}.json differs from record --json"; fail=1; }
  compared=$((compared + 1))
done < <(find "$tmp/all" -name '*.result' -print0)
[ "$compared" = "$listed" ] || { echo "FAIL: compared $compared of $listed records"; fail=1; }
# Again into the same folder: nothing new, and marking covers what the folder holds.
expect 0 "$kx" import --ip "$ip" --out "$tmp/all"
has "$listed of $listed records imported: 0 new, $listed already there, 0 failed"
has "marked on the tester:"
expect 0 "$kx" import --ip "$ip" --out "$tmp/all" --no-mark --all
has "$listed new, 0 already there"
kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null

# A project database that arrives damaged: listed are the others, the project is named, the exit is 1.
start_sim "$tmp/root" --corrupt-project "$first"
expect 1 "$kx" records --ip "$ip"
grep -qF "(folder $first): its database is unreadable" "$tmp/err" || { echo "FAIL: not named:"; cat "$tmp/err"; fail=1; }
expect 1 "$kx" import --ip "$ip" --out "$tmp/some" --no-mark
has 'could not be listed'
kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null

exit $fail
