#!/bin/bash
# `kestrix import` against OpenSSH's `scp -O -r` fetching the same project folders from the same server, timed
# from outside: records per second, peak resident memory, the import folder's size against the results' size,
# and the time of a second import into the same folder (which fetches nothing). Talks to 127.0.0.1 only.
#
#   bench/import_vs_scp.sh KESTRIX [--server openssh|sim] [--records-of copper|otdr|every] [--runs R] [N]
#
# --server openssh (the default) serves the tester's files through a real OpenSSH sshd with BusyBox's ash as
# the login shell (bench/openssh_lib.sh; needs root); --server sim through `kestrix sim`. N generated results
# (default 2000) of the kind asked for are stocked beside the simulator's few fixed ones. Each side runs R times
# (default 3), alternating; the median is reported. Run it when the machine is quiet: the load is printed.
set -euo pipefail

kx=$(realpath "$1")
shift
server=openssh
kind=copper
runs=3
n=2000
while [ $# -gt 0 ]; do
    case "$1" in
    --server) server=$2; shift 2 ;;
    --records-of) kind=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    *) n=$1; shift ;;
    esac
done

. "$(dirname "$0")/sim_lib.sh"
. "$(dirname "$0")/openssh_lib.sh"
trap 'stop_openssh_tester; cleanup' EXIT

echo "load before: $(uptime | sed 's/.*load average: //')"
# The tester's files: stocked by the simulator, then served by the server asked for.
"$kx" sim --root "$work/tester" --port 0 --records "$n" --records-of "$kind" >"$work/sim.log" 2>&1 &
simpid=$!
for _ in $(seq 1 1200); do
    grep -q 'listening on' "$work/sim.log" && break
    sleep 0.5
done
address=$(grep -o 'listening on 127\.0\.0\.1:[0-9]*' "$work/sim.log" | cut -d' ' -f3)
[ -n "$address" ] || { echo "the simulator did not start" >&2; cat "$work/sim.log" >&2; exit 1; }
if [ "$server" = openssh ]; then
    kill "$simpid"
    wait "$simpid" 2>/dev/null || true
    simpid=
    start_openssh_tester "$work/tester"
fi
port=${address##*:}
results=$(find "$work/tester/microsd_userdata/projects" -type f ! -name '*.sql' | wc -l)
results_bytes=$(find "$work/tester/microsd_userdata/projects" -type f ! -name '*.sql' -printf '%s\n' |
    awk '{s += $1} END {print s}')

cat >"$work/askpass.sh" <<'ASK'
#!/bin/sh
echo qvrt47
ASK
chmod 700 "$work/askpass.sh"

# Outputs stay until the end: a file system slows down creating files right after deleting many.
for i in $(seq 1 "$runs"); do
    /usr/bin/time -f '%e %M' -o "$work/import$i.time" \
        "$kx" import --ip "$address" --out "$work/out$i" --no-mark >"$work/import$i.log" 2>&1 ||
        { echo "import $i failed:" >&2; cat "$work/import$i.log" >&2; exit 1; }
    mkdir "$work/scp$i"
    SSH_ASKPASS="$work/askpass.sh" SSH_ASKPASS_REQUIRE=force DISPLAY=none \
        /usr/bin/time -f '%e %M' -o "$work/scp$i.time" \
        scp -O -r -q -F /dev/null -o StrictHostKeyChecking=no -o UserKnownHostsFile=/dev/null \
        -o PreferredAuthentications=password -P "$port" "tvuser@127.0.0.1:/microsd_userdata/projects" \
        "$work/scp$i/" </dev/null
done
# Again into the first folder: nothing is fetched.
/usr/bin/time -f '%e %M' -o "$work/again.time" \
    "$kx" import --ip "$address" --out "$work/out1" --no-mark >"$work/again.log" 2>&1
records=$(grep -c '"testerFile"' "$work/out1/index.json")
scp_files=$(find "$work/scp1" -type f ! -name '*.sql' | wc -l)
median() { sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }
import_s=$(cat "$work"/import*.time | cut -d' ' -f1 | median)
import_kb=$(cat "$work"/import*.time | cut -d' ' -f2 | sort -n | tail -1)
scp_s=$(cat "$work"/scp*.time | cut -d' ' -f1 | median)
read -r again_s _ <"$work/again.time"
out_bytes=$(du -sb "$work/out1" | cut -f1)
out_disk=$(du -sk "$work/out1" | cut -f1)
scp_disk=$(du -sk --exclude='*.sql' "$work/scp1" | cut -f1)
echo "load after: $(uptime | sed 's/.*load average: //')"
grep 'records imported' "$work/again.log" || true

awk -v server="$server" -v kind="$kind" -v n="$records" -v res="$results" -v is="$import_s" -v kb="$import_kb" \
    -v ss="$scp_s" -v sf="$scp_files" -v again="$again_s" -v ob="$out_bytes" -v rb="$results_bytes" \
    -v od="$out_disk" -v sd="$scp_disk" -v runs="$runs" 'BEGIN {
    ir = n / (is > 0 ? is : 0.001); sr = sf / (ss > 0 ? ss : 0.001);
    printf "server %s, %d %s results (%.1f MB), median of %d runs\n", server, res, kind, rb / 1e6, runs;
    printf "kestrix import: %d records in %.2f s = %.0f records/s, peak RSS %.1f MB\n", n, is, ir, kb / 1024;
    printf "scp -O -r:      %d files in %.2f s = %.0f records/s\n", sf, ss, sr;
    printf "ratio import/scp: %.2f\n", ir / sr;
    printf "again into the same folder: %.2f s (%.3f of the first)\n", again, again / (is > 0 ? is : 0.001);
    printf "import folder: %.1f MB (%.2f x the results), %.1f MB on disk (%.2f x scp'\''s copy)\n",
        ob / 1e6, ob / rb, od / 1024, od / sd;
}'
