#!/usr/bin/env bash
# kestrix settings pull|push, project list|pull|push and ids list|push|rm against `kestrix sim`.
set -u
kx=$1
samples=$2
. "$(dirname "$0")/cli_lib.sh"
mkdir -p "$tmp/root/tmp" "$tmp/root/microsd_userdata/projects"
start_sim "$tmp/root"

# Settings: edit locally, push, pull back.
expect 0 "$kx" settings new "$tmp/s.set"
expect 0 "$kx" settings set "$tmp/s.set" language German
expect 0 "$kx" settings push "$tmp/s.set" --ip "$ip"
expect 0 "$kx" settings pull --ip "$ip" -o "$tmp/back.set"
expect 0 "$kx" settings show "$tmp/back.set" --json
has '"language" : "German"'
printf 'garbage' >"$tmp/garbage"
expect 1 "$kx" settings push "$tmp/garbage" --ip "$ip"
expect 2 "$kx" settings pull --ip "$ip"

# Projects: a bare project blob is sent as a setup database; pushed twice it exists.
expect 0 "$kx" project list --ip "$ip" --json
has '[]'
expect 0 "$kx" project push "$samples/project.blob" --ip "$ip"
has 'installed project "Building 7 backbone" on the tester'
expect 1 "$kx" project push "$samples/project.blob" --ip "$ip"
grep -qF 'a project of that name is on the tester; add --overwrite to replace it' "$tmp/err" ||
  { echo "FAIL: no way out named:"; cat "$tmp/err"; fail=1; }
expect 0 "$kx" project push "$samples/project.blob" --ip "$ip" --overwrite --json
has '"result" : "done"'
expect 0 "$kx" project list --ip "$ip"
has 'Building 7 backbone'
expect 0 "$kx" project pull 'Building 7 backbone' --ip "$ip" -o "$tmp/p.sql" --json
has '"customLimitsOrCables" : true'
expect 0 "$kx" project show "$tmp/p.sql"
has 'Building 7 backbone'
expect 1 "$kx" project push "$tmp/garbage" --ip "$ip"
expect 1 "$kx" project pull Nobody --ip "$ip" -o "$tmp/none.sql"
grep -qF 'kestrix: cannot export project "Nobody"' "$tmp/err" || { echo "FAIL: not named"; cat "$tmp/err"; fail=1; }

# Cable-id lists.
printf 'A-1\r\nA-2\n\nA-3\n' >"$tmp/ids.txt"
expect 0 "$kx" ids push "$tmp/ids.txt" --name 'Floor/2 $(x)' --ip "$ip"
expect 0 "$kx" ids list --ip "$ip"
has 'Floor_2 $(x)'
[ "$(cat "$tmp/root/microsd_userdata/cableids/Floor_2 \$(x).ids")" = "$(printf 'A-1\nA-2\nA-3')" ] ||
  { echo "FAIL: list content"; fail=1; }
expect 0 "$kx" ids rm 'Floor_2 $(x)' --ip "$ip"
expect 0 "$kx" ids list --ip "$ip" --json
has '[]'
expect 1 "$kx" ids push "$tmp/garbage" --name '' --ip "$ip"

# A tester that answers OP_FAILED keeps its old list of that name: the push is no success.
expect 0 "$kx" ids push "$tmp/ids.txt" --name Kept --ip "$ip"
kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null
start_sim "$tmp/root" --fail-command smimportlabels
printf 'B-1\n' >"$tmp/new.txt"
expect 1 "$kx" ids push "$tmp/new.txt" --name Kept --ip "$ip"
grep -qF 'the tester refused the list Kept: OP_FAILED' "$tmp/err" || { echo "FAIL: no refusal in:"; cat "$tmp/err"; fail=1; }
[ "$(head -c 3 "$tmp/root/microsd_userdata/cableids/Kept.ids")" = "A-1" ] || { echo "FAIL: old list changed"; fail=1; }
exit $fail
