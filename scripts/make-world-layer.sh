#!/usr/bin/env bash
# Rebuilds data/TGWorld.lyr, the world layer Brumex ships: Natural Earth 1:50m countries
# (public domain) with the country names as titles and one land presenter.
#   npm package world-atlas 2.0.2 (TopoJSON of Natural Earth 4.1.0)
#   -> GDAL ogr2ogr (Debian gdal-bin) -> ESRI shapefile with a dBASE table
#   -> brumex-tool convert -> layer file
# Usage: bash scripts/make-world-layer.sh [OUTPUT]   (default: data/TGWorld.lyr)
# Needs npm and ogr2ogr (installed with apt-get when missing); builds brumex-tool when
# build/dev has none. Reruns give the same bytes.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${1:-$ROOT/data/TGWorld.lyr}
TOOL=${BRUMEX_TOOL:-$ROOT/build/dev/tools/brumex-tool}

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
for need in npm:npm ogr2ogr:gdal-bin; do
  command -v "${need%%:*}" >/dev/null 2>&1 && continue
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need#*:}" >/dev/null
done
if [ ! -x "$TOOL" ]; then
  bash "$ROOT/scripts/setup.sh"
  (cd "$ROOT" && cmake --preset dev >/dev/null && cmake --build build/dev --target brumex-tool >/dev/null)
fi

T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
(cd "$T" && npm pack --silent world-atlas@2.0.2 >/dev/null)
# sha1 as published in the npm registry (dist.shasum)
echo "4bca4a578f3a413bd409c3f07f2054fe7375824f  $T/world-atlas-2.0.2.tgz" | sha1sum -c --quiet
tar xzf "$T/world-atlas-2.0.2.tgz" -C "$T"
ogr2ogr -f "ESRI Shapefile" -a_srs EPSG:4326 -dim XY -nlt MULTIPOLYGON \
  -lco SHPT=POLYGON -lco RESIZE=YES -lco DBF_DATE_LAST_UPDATE=2020-01-01 \
  -nln countries "$T/countries.shp" "$T/package/countries-50m.json" countries
mkdir -p "$(dirname "$OUT")"
"$TOOL" convert "$T/countries.shp" "$OUT" --title-column name --fill '#E6E0C4' --outline '#7A7A6E'
