#!/usr/bin/env bash
# Runs CTest with a warmed, persistent wineserver on the current display.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/wine-env.sh"
korvane_prepare_prefix
korvane_start_wineserver
cd "$root"
ctest --preset x86_64 "$@"
status=$?
korvane_stop_wineserver
exit $status
