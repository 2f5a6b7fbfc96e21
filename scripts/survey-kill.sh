#!/usr/bin/env bash
# Kills a running road survey 20 times (or $1 times) at random moments and
# checks after each kill that the tables pass SQLite's integrity check and
# hold every record and track point the survey had saved.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build/dev --target app_tests >/dev/null
BRUMEX_SURVEY_KILLS="${1:-20}" QT_QPA_PLATFORM=offscreen QT_FONT_DPI=96 \
    build/dev/tests/app/app_tests --gtest_filter='SurveyKillTest.*'
