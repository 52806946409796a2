#!/usr/bin/env bash
# Makes the release in dist/: for each architecture a zip holding the stripped
# program, README.txt and LICENSE.txt, the program's debug symbols beside it,
# and SHA256SUMS. Two runs on one commit give the same bytes, wherever the
# tree lies (scripts/check-release.sh --reproducible shows it).
#   scripts/release.sh
# KORVANE_DIST overrides where the release goes.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dist="${KORVANE_DIST:-$root/dist}"

"$root/scripts/install-deps.sh" >&2

version="$(sed -n 's/^#define KORVANE_VERSION_TEXT "\(.*\)"$/\1/p' "$root/src/res/version.h")"
[ -n "$version" ] || { echo "release.sh: no version in src/res/version.h" >&2; exit 1; }
# The zips' entries carry the commit's time, not the time of the build.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)"
fi
export SOURCE_DATE_EPOCH

rm -rf "$dist"
mkdir -p "$dist"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT

# arch:name in the file names (Windows' own words for the two downloads).
for pair in i686:win32 x86_64:win64; do
  arch="${pair%%:*}"
  base="Korvane_Safe_Eject-$version-${pair#*:}"
  build="$root/build/release/$arch"
  # Only the program: no tests, no sim program, no benchmarks. -g costs the
  # shipped file nothing (it is stripped) and gives the symbols file its use.
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DKORVANE_BUILD_TESTS=OFF \
    -DCMAKE_C_FLAGS=-g -DCMAKE_CXX_FLAGS=-g | grep -v "^--" || true
  cmake --build "$build" --target Korvane_Safe_Eject -j 2
  program="$build/src/Korvane_Safe_Eject.exe"

  # The symbols go beside the zip; the shipped file names them so that a
  # debugger finds them when they are put next to it.
  "$arch-w64-mingw32-objcopy" --only-keep-debug "$program" "$dist/$base.debug"
  # objcopy stamps the PE header it rewrites with SOURCE_DATE_EPOCH (or the
  # time); 0 keeps the header as the linker left it, with no time at all.
  SOURCE_DATE_EPOCH=0 "$arch-w64-mingw32-objcopy" --strip-all \
    --add-gnu-debuglink="$dist/$base.debug" "$program" "$stage/Korvane_Safe_Eject.exe"
  python3 "$root/scripts/release_zip.py" "$dist/$base.zip" \
    "Korvane_Safe_Eject.exe=$stage/Korvane_Safe_Eject.exe" \
    "README.txt=$root/packaging/README.txt" \
    "LICENSE.txt=$root/src/res/license.txt"
done

(cd "$dist" && sha256sum -- *.zip *.debug >SHA256SUMS)
echo "Release $version in $dist:" >&2
ls -l "$dist" >&2
