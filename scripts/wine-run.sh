#!/usr/bin/env bash
# Runs a Windows program of this tree under the tree's Wine prefix with the
# loader of its architecture; CTest uses it as the emulator for the test
# executables.
#   scripts/wine-run.sh i686|x86_64 program.exe [arguments...]
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
loader="$(korvane_wine_loader "$1")"
shift
exec "$loader" "$@"
