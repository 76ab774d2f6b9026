# Shared by the CLI test scripts: sourced after `kx` is set. Gives $tmp (removed on exit), $fail, expect, has,
# and start_sim, which serves a tester root on 127.0.0.1 and sets $ip.
tmp=$(mktemp -d)
sim=
trap '[ -n "$sim" ] && { kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null; }; rm -rf "$tmp"' EXIT
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
start_sim() {  # start_sim ROOT [SIM OPTION...]
  local root=$1; shift
  "$kx" sim --root "$root" --port 0 "$@" >"$tmp/sim.out" 2>&1 &
  sim=$!
  # Stocking a fresh root takes seconds under the sanitizers, more on a loaded machine.
  for _ in $(seq 600); do grep -q listening "$tmp/sim.out" && break; kill -0 "$sim" 2>/dev/null || break; sleep 0.1; done
  ip=$(sed -n 's/^listening on //p' "$tmp/sim.out")
  [ -n "$ip" ] || { echo "FAIL: the simulator did not start"; cat "$tmp/sim.out"; exit 1; }
}
