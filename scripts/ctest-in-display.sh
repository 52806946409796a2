#!/usr/bin/env bash
# Runs CTest over both builds in one run (i686, the program to ship, first;
# every test name starts with its architecture) with a warmed, persistent
# wineserver on the current display. Arguments go to CTest, e.g. -R i686.e2e
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/wine-env.sh"
korvane_prepare_prefix
korvane_start_wineserver
# One CTest run over both build trees gives one summary for the whole suite.
printf 'subdirs("i686")\nsubdirs("x86_64")\n' >"$root/build/CTestTestfile.cmake"
ctest --test-dir "$root/build" --output-on-failure --timeout 300 "$@"
status=$?
korvane_stop_wineserver
exit $status
