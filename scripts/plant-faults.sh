#!/usr/bin/env bash
# Plants the one-line faults of scripts/plant-faults.list one at a time in a
# copy of the tree, rebuilds the unit tests, runs them, and prints the faults
# no test caught. The tree itself is never touched: an interrupted run leaves
# at most a faulted copy, which the next run puts right first.
#
#   scripts/plant-faults.sh            every fault
#   scripts/plant-faults.sh 4 17 30    only these (numbered as in the report)
#
# Run by hand or nightly, not in CI: each fault costs a rebuild and a run.
# PLANT_FAULTS_DIR chooses where the copy, its build and its Wine prefix live.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
list="$root/scripts/plant-faults.list"
work="${PLANT_FAULTS_DIR:-$root/build/plant-faults}"
tree="$work/tree"
build="$tree/build/x86_64"
log="$work/log"
mkdir -p "$tree" "$log"

# Makes every tracked file of the copy equal to the tree's, touching the ones
# that differ so that make rebuilds what they feed.
sync_copy() {
  (cd "$root" && git ls-files -co --exclude-standard) | while IFS= read -r file; do
    [ -f "$root/$file" ] || continue
    if ! cmp -s "$root/$file" "$tree/$file"; then
      mkdir -p "$(dirname "$tree/$file")"
      cp "$root/$file" "$tree/$file"
      touch "$tree/$file"
    fi
  done
}

# From the copy taken at the start, so that editing the tree meanwhile does
# not leak into this run.
restore() {
  cp "$tree/.orig/$1" "$tree/$1"
  touch "$tree/$1"
}

build_tests() {
  cmake --build "$build" --target unit_tests -j2 >"$1" 2>&1
}

# Fails fast: the first failing test is enough to call a fault caught.
run_tests() {
  (cd "$build/tests/unit" &&
    timeout 600 /usr/lib/wine/wine64 ./unit_tests.exe --gtest_fail_fast --gtest_brief=1) \
    >"$1" 2>&1
}

sync_copy
rm -rf "$tree/.orig"
cut -f2 "$list" | grep -v '^#' | sort -u | while IFS= read -r file; do
  [ -n "$file" ] && mkdir -p "$(dirname "$tree/.orig/$file")" && cp "$tree/$file" "$tree/.orig/$file"
done
export KORVANE_WINEPREFIX="$work/wineprefix"
source "$root/scripts/wine-env.sh"
korvane_prepare_prefix
korvane_start_wineserver
trap 'korvane_stop_wineserver' EXIT

(cd "$tree" && cmake --preset x86_64 >"$log/configure.txt" 2>&1) ||
  { echo "configure failed: $log/configure.txt"; exit 2; }
build_tests "$log/build-clean.txt" || { echo "the clean tree does not build: $log/build-clean.txt"; exit 2; }
run_tests "$log/run-clean.txt" || { echo "the clean tree fails its tests: $log/run-clean.txt"; exit 2; }

number=0
caught=0
tried=0
survivors=()
while IFS=$'\t' read -r area file script what; do
  case "$area" in '#'* | '') continue ;; esac
  number=$((number + 1))
  if [ $# -gt 0 ] && [[ " $* " != *" $number "* ]]; then continue; fi
  label="$number [$area] $what ($file)"
  sed -i -e "$script" "$tree/$file"
  if cmp -s "$tree/.orig/$file" "$tree/$file"; then
    echo "NOT PLANTED  $label: the sed script changed nothing"
    continue
  fi
  tried=$((tried + 1))
  if ! build_tests "$log/build-$number.txt"; then
    echo "NO BUILD     $label"
    restore "$file"
    continue
  fi
  if run_tests "$log/run-$number.txt"; then
    echo "SURVIVED     $label"
    survivors+=("$label")
  else
    caught=$((caught + 1))
    echo "caught       $label: $(grep -m1 -E '^\[  FAILED  \]|^.*Failure$' "$log/run-$number.txt" | head -c 120)"
  fi
  restore "$file"
done <"$list"

echo
echo "caught $caught of $tried planted faults"
for label in "${survivors[@]}"; do echo "  survived: $label"; done
[ ${#survivors[@]} -eq 0 ]
