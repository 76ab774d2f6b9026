#!/bin/bash
# Import of N stocked records (default 10000) from the tester simulator over loopback, timed from outside:
# records per second and peak resident memory of `kestrix import`, and OpenSSH `scp -O -r` fetching the same
# project folders from the same simulator. Talks to 127.0.0.1 only.
#
#   bench/import_vs_scp.sh build-rel/kestrix [N]
set -euo pipefail

kx=$(realpath "$1")
n=${2:-10000}
. "$(dirname "$0")/sim_lib.sh"
start_stocked_sim "$n"
port=${address##*:}

/usr/bin/time -f '%e %M' -o "$work/import.time" "$kx" import --ip "$address" --out "$work/out" --no-mark >/dev/null
read -r import_s import_kb <"$work/import.time"
records=$(grep -c '"testerFile"' "$work/out/index.json")

cat >"$work/askpass.sh" <<'ASK'
#!/bin/sh
echo qvrt47
ASK
chmod 700 "$work/askpass.sh"
mkdir "$work/scp"
SSH_ASKPASS="$work/askpass.sh" SSH_ASKPASS_REQUIRE=force DISPLAY=none \
    /usr/bin/time -f '%e %M' -o "$work/scp.time" \
    scp -O -r -q -F /dev/null -o StrictHostKeyChecking=no -o UserKnownHostsFile=/dev/null \
    -o PreferredAuthentications=password -P "$port" "tvuser@127.0.0.1:/microsd_userdata/projects" "$work/scp/" \
    </dev/null
read -r scp_s _ <"$work/scp.time"
scp_files=$(find "$work/scp" -type f ! -name '*.sql' | wc -l)

awk -v n="$records" -v is="$import_s" -v kb="$import_kb" -v ss="$scp_s" -v sf="$scp_files" 'BEGIN {
    ir = n / (is > 0 ? is : 0.001); sr = sf / (ss > 0 ? ss : 0.001);
    printf "kestrix import: %d records in %.2f s = %.0f records/s, peak RSS %.1f MB\n", n, is, ir, kb / 1024;
    printf "scp -O -r:      %d files in %.2f s = %.0f records/s\n", sf, ss, sr;
    printf "ratio import/scp: %.2f\n", ir / sr;
}'
