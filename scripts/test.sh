#!/usr/bin/env bash
# Builds both architectures and runs every test: the unit tests under Wine and
# the end-to-end checks, all inside a private Xvfb display.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" i686
"$root/scripts/build.sh" x86_64
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$root/scripts/ctest-in-display.sh"
