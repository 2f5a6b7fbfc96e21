#!/usr/bin/env bash
# Runs every fuzz target for SECONDS (default 1800) one after the other, at
# the lowest priority, each over its seed corpus and the finds kept in
# build/fuzz/corpus-TARGET; prints the executions and finds of each.
#   fuzz/run-all.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-1800}
shift || true
build=build/fuzz
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(env lyr md shp_source mif_source shp dbf mif nmea)
for t in "${targets[@]}"; do
  seeds=fuzz/corpus/$t
  [ "$t" = nmea ] && seeds=tests/data/nmea
  mkdir -p "$build/corpus-$t" "$build/finds-$t"
  extra=()
  [ "$t" = nmea ] && extra=(-max_len=4096)
  nice -n 19 "$build/${t}_fuzz" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$build/finds-$t/" "${extra[@]}" "$build/corpus-$t" "$seeds" \
    > "$build/$t.log" 2>&1 || true
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/$t.log" | grep -o '[0-9]*$' || echo 0)
  finds=$(find "$build/finds-$t" -type f | wc -l)
  echo "$t: $runs executions in ${seconds}s, $finds finds (log $build/$t.log)"
done
