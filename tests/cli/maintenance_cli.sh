#!/usr/bin/env bash
# kestrix update|info|logs|screen against `kestrix sim`.
set -u
kx=$1
tmp=$(mktemp -d)
mkdir -p "$tmp/root/tmp"
"$kx" sim --root "$tmp/root" --port 0 >"$tmp/sim.out" 2>&1 &
sim=$!
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null; rm -rf "$tmp"' EXIT
for _ in $(seq 100); do grep -q listening "$tmp/sim.out" && break; sleep 0.1; done
ip=$(sed -n 's/^listening on //p' "$tmp/sim.out")
[ -n "$ip" ] || { echo "FAIL: the simulator did not start"; cat "$tmp/sim.out"; exit 1; }
fail=0
expect() {  # expect CODE CMD...
  local want=$1; shift
  "$@" >"$tmp/out" 2>"$tmp/err"
  local got=$?
  if [ "$got" != "$want" ]; then
    echo "FAIL ($got, wanted $want): $*"; cat "$tmp/out" "$tmp/err"; fail=1
  fi
}
has() {  # has TEXT: the last command's output holds TEXT
  grep -qF -- "$1" "$tmp/out" || { echo "FAIL: no \"$1\" in:"; cat "$tmp/out"; fail=1; }
}

expect 0 "$kx" info --ip "$ip"
has 'Model:                   Lumetra'
has 'Calibration Date:        2025-01-15'
has 'Module calibration:      2025-03-01'
expect 0 "$kx" info --ip "$ip" --json
has '"calibrationDate" : "2025-03-01"'

# A main unit takes the package as it is; the update then runs.
head -c 100000 /dev/urandom >"$tmp/package"
expect 0 "$kx" update "$tmp/package" --ip "$ip"
has '3 UPDATE_RUNNING'
cmp -s "$tmp/package" "$tmp/root/tmp/update.kes" || { echo "FAIL: package not delivered"; fail=1; }
expect 0 "$kx" update "$tmp/package" --ip "$ip" --force --json
has '"name" : "UPDATE_RUNNING"'
: >"$tmp/empty"
expect 1 "$kx" update "$tmp/empty" --ip "$ip"
expect 2 "$kx" update --ip "$ip"

expect 0 "$kx" logs --ip "$ip" -o "$tmp/logs.zip" --lock-screen
expect 0 unzip -t "$tmp/logs.zip"
has 'No errors detected'
has 'dmesg.txt'

expect 0 "$kx" screen --ip "$ip" -o "$tmp/screen.ppm"
[ "$(head -c 15 "$tmp/screen.ppm" | tr '\n' ' ')" = "P6 640 480 255 " ] || { echo "FAIL: PPM header"; fail=1; }
[ "$(stat -c %s "$tmp/screen.ppm")" = 921615 ] || { echo "FAIL: PPM size"; fail=1; }
expect 0 "$kx" screen --ip "$ip" -o "$tmp/screen.png"
[ "$(head -c 8 "$tmp/screen.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || { echo "FAIL: PNG"; fail=1; }
expect 1 "$kx" screen --ip "$ip" -o "$tmp/screen.jpg"
# A tester that is gone.
kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null
expect 1 "$kx" info --ip "$ip"

# A tester that refuses the update and dumps a short screen.
"$kx" sim --root "$tmp/root" --port 0 --swupdate-reply 5 --short-fbdump >"$tmp/sim.out" 2>&1 &
sim=$!
for _ in $(seq 100); do grep -q listening "$tmp/sim.out" && break; sleep 0.1; done
ip=$(sed -n 's/^listening on //p' "$tmp/sim.out")
expect 1 "$kx" update "$tmp/package" --ip "$ip"
has '6 TESTER_CODE_5'
expect 1 "$kx" screen --ip "$ip" -o "$tmp/short.png"
exit $fail
