#!/usr/bin/env bash
# Builds Brumex (preset "dev" unless another is named) and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-dev}"
bash scripts/setup.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" --output-on-failure -j "$(nproc)"
