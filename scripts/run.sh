#!/usr/bin/env bash
# Builds and runs the program on the simulated machine (the embedded default
# one, or the file KORVANE_SIM_MACHINE names), under Wine: the 32-bit program,
# the one a Windows user gets, or the 64-bit one with KORVANE_ARCH=x86_64.
# With no display it runs in a private Xvfb display, saves a screenshot and
# prints its path. Arguments go to the program (e.g. /min).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
arch="${KORVANE_ARCH:-i686}"
case "$arch" in
  i686 | x86_64) ;;
  *) echo "run.sh: KORVANE_ARCH is i686 or x86_64, not \"$arch\"" >&2; exit 2 ;;
esac
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$arch" >/dev/null
program="$root/build/$arch/src/Korvane_Safe_Eject_sim.exe"
source "$root/scripts/wine-env.sh"
loader="$(korvane_wine_loader "$arch")"

if [ -n "${DISPLAY:-}" ] && [ -z "${KORVANE_SCREENSHOT_ONLY:-}" ]; then
  korvane_prepare_prefix
  exec "$loader" "$program" "$@"
fi

shot="$root/build/screenshot.png"
export KORVANE_PROGRAM="$program" KORVANE_SHOT="$shot" KORVANE_LOADER="$loader"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  source "'"$root"'/scripts/wine-env.sh"
  korvane_prepare_prefix
  korvane_start_wineserver
  "$KORVANE_LOADER" "$KORVANE_PROGRAM" "$@" &
  xdotool search --sync --onlyvisible --name "^Korvane Vuru DIZ Azova v1.43$" >/dev/null
  sleep 1
  import -window root "$KORVANE_SHOT"
  korvane_stop_wineserver
' bash "$@"
echo "$shot"
