#!/usr/bin/env bash
# Builds and runs the program on the simulated machine (the embedded default
# one, or the file KORVANE_SIM_MACHINE names), under Wine. With no display it
# runs in a private Xvfb display, saves a screenshot and prints its path.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" x86_64 >/dev/null
program="$root/build/x86_64/src/Korvane_Safe_Eject_sim.exe"

if [ -n "${DISPLAY:-}" ] && [ -z "${KORVANE_SCREENSHOT_ONLY:-}" ]; then
  source "$root/scripts/wine-env.sh"
  korvane_prepare_prefix
  exec wine "$program" "$@"
fi

shot="$root/build/screenshot.png"
export KORVANE_PROGRAM="$program" KORVANE_SHOT="$shot"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  source "'"$root"'/scripts/wine-env.sh"
  korvane_prepare_prefix
  korvane_start_wineserver
  wine "$KORVANE_PROGRAM" "$@" &
  xdotool search --sync --onlyvisible --name "^Korvane Vuru DIZ Azova v1.43$" >/dev/null
  sleep 1
  import -window root "$KORVANE_SHOT"
  korvane_stop_wineserver
' bash "$@"
echo "$shot"
