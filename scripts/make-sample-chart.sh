#!/usr/bin/env bash
# Rebuilds data/Cartas/Sudeste.bmp and Sudeste.Carta, the sample chart Brumex ships: the coast
# of south-east Brazil (50°W..38°W, 28°S..18°S) from Natural Earth's 1:50m land and country
# outlines (public domain, the copies in tests/data/naturalearth), with a 2° graticule, as a
# 256-colour bitmap of 480 x 400 pixels, 1/40° a pixel (135,000 GlobeUnits).
#   GDAL gdal_rasterize (Debian gdal-bin) -> 8-bit raster -> colour table -> gdal_translate BMP
# Usage: bash scripts/make-sample-chart.sh [OUTDIR]   (default: data/Cartas)
# Reruns give the same bytes.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
OUT=${1:-$ROOT/data/Cartas}
NE=$ROOT/tests/data/naturalearth

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if ! command -v gdal_rasterize >/dev/null 2>&1; then
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends gdal-bin >/dev/null
fi

WEST=-50 EAST=-38 NORTH=-18 SOUTH=-28 WIDTH=480 HEIGHT=400
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT

# Palette indices: 0 white (unused, the transparent colour), 1 sea, 2 land, 3 coast and
# borders, 4 graticule.
gdal_rasterize -q -ot Byte -init 1 -burn 2 -te $WEST $SOUTH $EAST $NORTH -ts $WIDTH $HEIGHT \
  -l ne_50m_land "$NE/ne_50m_land.shp" "$T/chart.tif" 2>/dev/null
gdal_rasterize -q -burn 3 -dialect SQLite -sql "SELECT ST_Boundary(geometry) FROM ne_50m_countries" \
  "$NE/ne_50m_countries.mif" "$T/chart.tif" 2>/dev/null
{
  echo '{"type":"FeatureCollection","features":['
  sep=""
  line() {
    printf '%s{"type":"Feature","properties":{},"geometry":{"type":"LineString","coordinates":[[%s,%s],[%s,%s]]}}\n' \
      "$sep" "$1" "$2" "$3" "$4"
    sep=","
  }
  for lon in $(seq $((WEST + 2)) 2 $((EAST - 2))); do line "$lon" $NORTH "$lon" $SOUTH; done
  for lat in $(seq $((SOUTH + 2)) 2 $((NORTH - 2))); do line $WEST "$lat" $EAST "$lat"; done
  echo ']}'
} >"$T/grid.geojson"
gdal_rasterize -q -burn 4 "$T/grid.geojson" "$T/chart.tif" 2>/dev/null

gdal_translate -q -of VRT "$T/chart.tif" "$T/chart.vrt"
{
  printf '<ColorInterp>Palette</ColorInterp><ColorTable>'
  for rgb in "255 255 255" "170 211 223" "242 239 233" "90 90 90" "120 150 190"; do
    set -- $rgb
    printf '<Entry c1="%s" c2="%s" c3="%s" c4="255"/>' "$1" "$2" "$3"
  done
  for _ in $(seq 5 255); do printf '<Entry c1="0" c2="0" c3="0" c4="255"/>'; done
  printf '</ColorTable>\n'
} >"$T/palette.xml"
sed -i -e "/<ColorInterp>Gray<\/ColorInterp>/{r $T/palette.xml" -e 'd}' "$T/chart.vrt"
mkdir -p "$OUT"
gdal_translate -q -of BMP -co WORLDFILE=NO "$T/chart.vrt" "$OUT/Sudeste.bmp"
rm -f "$OUT/Sudeste.bmp.aux.xml"

# The insertion point is the north-west corner; 5,400,000 GlobeUnits a degree.
GU=5400000
printf '[Geral]\r\nBitMap=Sudeste.bmp\r\nLon=%d\r\nLat=%d\r\nPropX=%d\r\nPropY=%d\r\n' \
  $((WEST * GU)) $((NORTH * GU)) $(((EAST - WEST) * GU / WIDTH)) $(((NORTH - SOUTH) * GU / HEIGHT)) \
  >"$OUT/Sudeste.Carta"
