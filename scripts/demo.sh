#!/usr/bin/env bash
# Navigation without a receiver: replays a real NMEA log on a pseudo-terminal,
# points the program's serial port COM1 at it and starts Brumex. Click
# "Conectar GPS" on the "Navegação" tab: the marker moves and the track grows.
# The demo keeps its settings and data in its own folder, never in yours.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release
log="${1:-data/nmea/garmin-geko201.nmea}"
home="${BRUMEX_DEMO_HOME:-$(mktemp -d)}"
export XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
mkdir -p "$XDG_CONFIG_HOME/Morvenko"

build/release/tools/brumex-tool nmea replay "$log" --loop > "$home/replay.out" &
replay=$!
trap 'kill "$replay" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -s "$home/replay.out" ] && break; sleep 0.1; done
device="$(head -n 1 "$home/replay.out")"
[ -n "$device" ] || { echo "the replay did not start" >&2; exit 1; }
printf '[Conf]\nGPSSerial=true\nPortGPS=COM1\nDispCOM1=%s\n' "$device" > "$XDG_CONFIG_HOME/Morvenko/Brumex.conf"
echo "Replaying $log on $device; settings in $home."
bash scripts/run.sh
