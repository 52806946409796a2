#!/usr/bin/env bash
# Makes the pictures of the real main window that the repository carries: the
# README's screenshot and the user guide's picture (resource 157, 422x198),
# both from the sim program on its default machine, with the first row chosen.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" x86_64 >/dev/null
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  source "'"$root"'/scripts/wine-env.sh"
  korvane_prepare_prefix
  korvane_start_wineserver
  python3 "'"$root"'/scripts/make_screenshots.py" "'"$root"'"
  status=$?
  korvane_stop_wineserver
  exit $status'
echo "$root/docs/main-window.png"
echo "$root/src/res/user_guide.png"
