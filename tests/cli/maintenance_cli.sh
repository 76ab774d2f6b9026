#!/usr/bin/env bash
# kestrix update|info|logs|screen against `kestrix sim`.
set -u
kx=$1
. "$(dirname "$0")/cli_lib.sh"
mkdir -p "$tmp/root/tmp"
start_sim "$tmp/root"

expect 0 "$kx" info --ip "$ip"
has 'Model:                   Lumetra'
has 'Calibration Date:        2025-01-15'
has 'Module calibration:      2025-03-01'
expect 0 "$kx" info --ip "$ip" --json
has '"calibrationDate" : "2025-03-01"'

# A main unit takes the package as it is; the update then runs.
mkdir -p "$tmp/pkg" && head -c 100000 /dev/urandom >"$tmp/pkg/image.bin"
tar czf "$tmp/package" -C "$tmp/pkg" image.bin
expect 0 "$kx" update "$tmp/package" --ip "$ip"
has 'update started; the tester restarts'
cmp -s "$tmp/package" "$tmp/root/tmp/update.kes" || { echo "FAIL: package not delivered"; fail=1; }
expect 0 "$kx" update "$tmp/package" --ip "$ip" --force --json
has '"status" : "UPDATE_RUNNING"'
: >"$tmp/empty"
expect 1 "$kx" update "$tmp/empty" --ip "$ip"
expect 2 "$kx" update --ip "$ip"
# What is no package is refused before anything is sent.
rm -f "$tmp/root/tmp/update.kes"
printf 'D-101-A\nD-101-B\n' >"$tmp/records.txt"
expect 1 "$kx" update "$tmp/records.txt" --ip "$ip"
[ ! -e "$tmp/root/tmp/update.kes" ] || { echo "FAIL: a text file was uploaded as software"; fail=1; }

expect 0 "$kx" logs --ip "$ip" -o "$tmp/logs.zip" --lock-screen
expect 0 unzip -t "$tmp/logs.zip"
has 'No errors detected'
has 'dmesg.txt'

# The tester's words reach the terminal; its control sequences (7- and 8-bit CSI, bytes that are not UTF-8)
# do not.
printf 'caf\303\251 \302\2332J\033[31m\377end\n' >"$tmp/root/tmp/hostile.txt"
expect 0 "$kx" sh --ip "$ip" cat /tmp/hostile.txt
[ "$(cat "$tmp/out")" = "$(printf 'caf\303\251 ?2J?end')" ] || { echo "FAIL: sh output:"; od -c "$tmp/out"; fail=1; }

expect 0 "$kx" screen --ip "$ip" -o "$tmp/screen.ppm"
[ "$(head -c 15 "$tmp/screen.ppm" | tr '\n' ' ')" = "P6 640 480 255 " ] || { echo "FAIL: PPM header"; fail=1; }
[ "$(stat -c %s "$tmp/screen.ppm")" = 921615 ] || { echo "FAIL: PPM size"; fail=1; }
expect 0 "$kx" screen --ip "$ip" -o "$tmp/screen.png"
[ "$(head -c 8 "$tmp/screen.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || { echo "FAIL: PNG"; fail=1; }
expect 2 "$kx" screen --ip "$ip" -o "$tmp/screen.jpg"
# A tester that is gone.
kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null
expect 1 "$kx" info --ip "$ip"

# A tester that refuses the update and dumps a short screen; an older picture stays as it was.
start_sim "$tmp/root" --swupdate-reply 5 --short-fbdump
expect 1 "$kx" update "$tmp/package" --ip "$ip"
grep -qF 'update not done: the tester refused the update (TESTER_CODE_5)' "$tmp/err" || { echo "FAIL:"; cat "$tmp/err"; fail=1; }
cp "$tmp/screen.png" "$tmp/short.png"
expect 1 "$kx" screen --ip "$ip" -o "$tmp/short.png"
cmp -s "$tmp/screen.png" "$tmp/short.png" || { echo "FAIL: a failed capture changed the older picture"; fail=1; }
kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null

# The link goes during the first log: no archive of nothing, and the older archive stays.
start_sim "$tmp/root" --drop-download 1
cp "$tmp/logs.zip" "$tmp/old.zip"
expect 1 "$kx" logs --ip "$ip" -o "$tmp/logs.zip"
cmp -s "$tmp/logs.zip" "$tmp/old.zip" || { echo "FAIL: a failed log collection changed the archive"; fail=1; }
kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null

# A log that does not arrive: the archive holds the others, the missing one is named, and the job is not done.
rm -rf "$tmp/root/var/log/kestrix.log" && mkdir "$tmp/root/var/log/kestrix.log"
start_sim "$tmp/root"
expect 1 "$kx" logs --ip "$ip" -o "$tmp/logs.zip"
grep -qF 'left out /var/log/kestrix.log: scp: /var/log/kestrix.log: not a regular file' "$tmp/err" || { echo "FAIL:"; cat "$tmp/err"; fail=1; }
expect 0 unzip -l "$tmp/logs.zip"
has 'kestrix.err'
exit $fail
