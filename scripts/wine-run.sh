#!/usr/bin/env bash
# Runs a Windows program of this tree under the tree's Wine prefix; CTest uses
# it as the emulator for the test executables.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
exec wine "$@"
