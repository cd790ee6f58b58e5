#!/usr/bin/env bash
# Builds the program and the drive simulator, starts two simulated drives (LQ340 at
# address 1, HV120 at address 10) on a pseudo-terminal mapped to COM1, and starts the
# program. Closing the program stops the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
BUILD="${ORDALIS_BUILD_DIR:-build}"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$BUILD" -j "$(nproc)" --target ordalis ordalis-drive-sim
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: set DISPLAY (or run under xvfb-run) to see the program." >&2
  exit 2
fi
DEMO_DIR=$(mktemp -d /tmp/ordalis-demo.XXXXXX)
LINK="$DEMO_DIR/ttyDRIVE"
"$BUILD"/bin/ordalis-drive-sim --link "$LINK" --drive 1:LQ340 --drive 10:HV120 \
  --state "$DEMO_DIR/eeprom.bin" > "$DEMO_DIR/sim.out" 2>&1 &
SIM=$!
trap 'kill "$SIM" 2>/dev/null; wait "$SIM" 2>/dev/null; rm -rf "$DEMO_DIR"' EXIT
for _ in $(seq 1 100); do grep -q '^ready' "$DEMO_DIR/sim.out" 2>/dev/null && break; sleep 0.05; done
if ! grep -q '^ready' "$DEMO_DIR/sim.out"; then cat "$DEMO_DIR/sim.out" >&2; exit 1; fi
CFG="${ORDALIS_DEMO_CFG:-$HOME/.config/ordalis-demo.ini}"
mkdir -p "$(dirname "$CFG")"
# Point COM1 at the simulator; keep the rest of the demo's settings between runs.
if [ -f "$CFG" ] && grep -q '^\[ports\]' "$CFG"; then
  sed -i "/^\[ports\]/,/^\[/{s#^COM1=.*#COM1=$LINK#}" "$CFG"
  grep -q "^COM1=" "$CFG" || sed -i "/^\[ports\]/a COM1=$LINK" "$CFG"
else
  printf '\n[ports]\nCOM1=%s\n' "$LINK" >> "$CFG"
fi
ORDALIS_CFG="$CFG" "$BUILD"/bin/ordalis
