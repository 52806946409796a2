#!/usr/bin/env bash
# Builds both architectures and runs every test: a release made twice in two
# folders (it must be byte-identical and pass its checks), then the unit and
# end-to-end tests of both architectures under Wine in a private Xvfb display.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" i686
"$root/scripts/build.sh" x86_64
"$root/scripts/check-release.sh" --reproducible
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$root/scripts/ctest-in-display.sh"
