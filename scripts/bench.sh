#!/usr/bin/env bash
# Builds the x86_64 tree and runs one benchmark under Wine in a private Xvfb
# display; prints its Markdown and keeps a copy in bench/results/<name>.md.
#   scripts/bench.sh [name, default refresh] [arguments for the benchmark...]
# e.g. scripts/bench.sh refresh 1    (one second per cell instead of 0.2)
#      scripts/bench.sh startup      (start-up against the floor and a bare dialog, both
#                                     architectures; memory, sizes)
#      scripts/bench.sh burst        (device-change bursts sent to the running program)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
name="${1:-refresh}"
[ $# -gt 0 ] && shift

# The name becomes a file name: keep it to what bench/ names its programs with.
if [[ ! "$name" =~ ^[a-z0-9_]+$ ]]; then
  echo "bench.sh: \"$name\" is not a benchmark name" >&2
  exit 2
fi

# Standard output carries the figures only.
"$root/scripts/install-deps.sh" >&2
"$root/scripts/build.sh" x86_64 >&2

# A benchmark is a program of bench/ run under Wine, or a Python driver that
# starts the tree's programs itself, as a user would, from the Linux side.
driver="$root/bench/${name}_bench.py"
program="$root/build/x86_64/bench/${name}_bench.exe"
if [ -f "$driver" ]; then
  command=(python3 "$driver")
  export KORVANE_BUILD_DIR="$root/build/x86_64"
elif [ -f "$program" ]; then
  command=(wine "$program")
else
  echo "bench.sh: no benchmark \"$name\"; there are:" >&2
  { ls "$root/build/x86_64/bench/" 2>/dev/null | sed -n 's/_bench\.exe$//p'
    ls "$root/bench/" | sed -n 's/_bench\.py$//p'; } | sort -u >&2
  exit 2
fi
# The start-up benchmark times the 32-bit programs too.
if [ "$name" = startup ]; then
  "$root/scripts/build.sh" i686 >&2
  cmake --build "$root/build/i686" --target bare_dialog floor_dialog >&2
fi

results="$root/bench/results"
mkdir -p "$results"
output="$(mktemp)"
trap 'rm -f "$output"' EXIT

# The wineserver is started and warmed first so that Wine's own start-up is
# not timed; the benchmark's status survives stopping it.
status=0
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  source "$1/scripts/wine-env.sh"
  korvane_prepare_prefix
  korvane_start_wineserver
  shift
  "$@"
  status=$?
  korvane_stop_wineserver
  exit $status
' bench "$root" "${command[@]}" "$@" | tee "$output" || status=$?

# A Wine process that is killed (another run's "wineserver -k" on the same
# prefix, for one) exits 0 as the shell sees it: a benchmark's last line says
# it finished, and a run without it has failed.
if [ "$status" -eq 0 ] && [ "$(tail -n 1 "$output")" != "<!-- complete -->" ]; then
  echo "bench.sh: $name stopped before its end (killed?)" >&2
  status=1
fi
if [ "$status" -ne 0 ]; then
  echo "bench.sh: $name failed (exit $status); bench/results/$name.md left as it was" >&2
  exit "$status"
fi
cat "$output" >"$results/$name.md"
echo "Saved to bench/results/$name.md" >&2
