#!/usr/bin/env bash
# Configures and builds one architecture (x86_64 by default, or i686).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
preset="${1:-x86_64}"
cmake --preset "$preset" | grep -v "^--" || true
cmake --build --preset "$preset"
