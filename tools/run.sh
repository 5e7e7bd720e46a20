#!/usr/bin/env bash
# Installs what is needed, builds, and runs the dialer against the local
# operator simulator (web services on 127.0.0.1:2900 and :8080) and a demo SIP
# registrar (kamailio on 127.0.0.1:5060). Log in as demo / demo.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
bash tools/build.sh
state="$(mktemp -d)"
cleanup() {
  kill "${simulator:-}" "${registrar:-}" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$state"
}
trap cleanup EXIT
./build/bin/ringlark-operator > "$state/operator.log" 2>&1 &
simulator=$!
kamailio -f tools/demo-registrar.cfg -DD -E -Y "$state" -P "$state/kamailio.pid" > "$state/registrar.log" 2>&1 &
registrar=$!
sleep 0.5
for service in simulator registrar; do
  if ! kill -0 "${!service}" 2>/dev/null; then
    echo "The demo $service did not start (its port may be taken):" >&2
    cat "$state/$([ "$service" = simulator ] && echo operator || echo registrar).log" >&2
  fi
done
./build/bin/ringlark
