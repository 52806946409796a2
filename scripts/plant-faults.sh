#!/usr/bin/env bash
# Plants the one-line faults of scripts/plant-faults.list one at a time in a
# copy of the tree, rebuilds, runs the tests, and prints the faults no test
# caught. The tree itself is never touched: an interrupted run leaves at most a
# faulted copy, which the next run puts right first.
#
#   scripts/plant-faults.sh                 every fault, against the suite CI runs
#   scripts/plant-faults.sh 4 17 30         only these (numbered as in the report)
#   scripts/plant-faults.sh --unit ...      against the unit tests alone
#   scripts/plant-faults.sh --arch i686 ... against the other architecture's tests
#   scripts/plant-faults.sh --build-only    plants and builds each fault, runs nothing:
#                                           for writing new faults without seeing the tests
#
# The suite CI runs is, for one architecture: the unit tests, the end-to-end
# suites, and the release check. A fault counts as caught as soon as one of
# them fails, tried in that order (the cheapest first), so only the faults the
# unit tests miss pay for the end-to-end suites, and only those they miss too
# pay for the release builds.
#
# Run by hand or nightly, not in CI: each fault costs a rebuild and a run.
# PLANT_FAULTS_DIR chooses where the copy, its build and its Wine prefix live.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

suite=ci
arch=x86_64
while [ $# -gt 0 ]; do
  case "$1" in
    --unit) suite=unit; shift ;;
    --build-only) suite=none; shift ;;
    --arch) arch="$2"; shift 2 ;;
    *) break ;;
  esac
done
case "$arch" in i686 | x86_64) ;; *) echo "plant-faults.sh: no architecture $arch" >&2; exit 2 ;; esac

list="$root/scripts/plant-faults.list"
work="${PLANT_FAULTS_DIR:-$root/build/plant-faults}"
tree="$work/tree"
build="$tree/build/$arch"
log="$work/log"
mkdir -p "$tree" "$log"

# Makes every tracked file of the copy equal to the tree's, touching the ones
# that differ so that make rebuilds what they feed.
sync_copy() {
  (cd "$root" && git ls-files -co --exclude-standard) | while IFS= read -r file; do
    [ -f "$root/$file" ] || continue
    if ! cmp -s "$root/$file" "$tree/$file"; then
      mkdir -p "$(dirname "$tree/$file")"
      cp -p "$root/$file" "$tree/$file"
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

# The unit tests alone need only their own program; the suite needs the sim
# program and the end-to-end tools as well.
build_tests() {
  local target=()
  [ "$suite" = ci ] || target=(--target unit_tests)
  cmake --build "$build" "${target[@]}" -j2 >"$1" 2>&1
}

# Each step fails fast: the first failing test is enough to call a fault caught.
# A run passes only when GoogleTest says so at its end: a program that dies
# half-way is a caught fault, whatever status Wine hands back for it.
run_unit_tests() {
  (cd "$build/tests/unit" &&
    timeout 900 "$(korvane_wine_loader "$arch")" ./unit_tests.exe --gtest_fail_fast --gtest_brief=1) \
    >"$1" 2>&1 && grep -q '^\[  PASSED  \]' "$1"
}

run_e2e_tests() {
  ctest --test-dir "$build" -R "^$arch\.e2e\." --stop-on-failure --output-on-failure \
    --timeout 600 >"$1" 2>&1
}

run_release_check() {
  "$tree/scripts/check-release.sh" >"$1" 2>&1
}

# Prints which step caught the fault, or nothing when it survived them all.
catching_step() {
  local number="$1"
  [ "$suite" = none ] && { echo built; return; }
  run_unit_tests "$log/run-$number.txt" || { echo unit; return; }
  [ "$suite" = unit ] && return
  run_e2e_tests "$log/e2e-$number.txt" || { echo e2e; return; }
  run_release_check "$log/release-$number.txt" || { echo release; return; }
}

first_failure() {
  grep -h -m1 -E '^\[  FAILED  \]|Failure$|^FAILED|^FAIL:|\*\*\*Failed' "$@" 2>/dev/null | head -1 |
    head -c 120
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

(cd "$tree" && cmake --preset "$arch" >"$log/configure.txt" 2>&1) ||
  { echo "configure failed: $log/configure.txt"; exit 2; }
build_tests "$log/build-clean.txt" || { echo "the clean tree does not build: $log/build-clean.txt"; exit 2; }
[ "$suite" = none ] || [ -z "$(catching_step clean)" ] ||
  { echo "the clean tree fails its tests: $log/*-clean.txt"; exit 2; }
case "$suite" in
  ci) against="the suite CI runs" ;; unit) against="the unit tests" ;; none) against="no tests (build only)" ;;
esac
echo "planting in a copy of the tree; $arch, $against"

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
  rm -f "$log"/*-"$number".txt
  if ! build_tests "$log/build-$number.txt"; then
    echo "NO BUILD     $label"
    restore "$file"
    continue
  fi
  step="$(catching_step "$number")"
  if [ "$step" = built ]; then
    echo "builds       $label"
  elif [ -z "$step" ]; then
    echo "SURVIVED     $label"
    survivors+=("$label")
  else
    caught=$((caught + 1))
    printf 'caught %-7s %s: %s\n' "$step" "$label" \
      "$(first_failure "$log/run-$number.txt" "$log/e2e-$number.txt" "$log/release-$number.txt")"
  fi
  restore "$file"
done <"$list"

echo
[ "$suite" = none ] && { echo "$tried planted faults build"; exit 0; }
echo "caught $caught of $tried planted faults"
for label in "${survivors[@]}"; do echo "  survived: $label"; done
[ ${#survivors[@]} -eq 0 ]
