#!/usr/bin/env bash
# Makes the release (scripts/release.sh) and checks it
# (tests/build/check_release.py). With --reproducible it then makes a second
# release from a copy of the tree in another folder and requires the same
# bytes in every file.
#   scripts/check-release.sh [--reproducible]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
[ $# -le 1 ] && [ "${1:---reproducible}" = --reproducible ] || {
  echo "usage: scripts/check-release.sh [--reproducible]" >&2
  exit 2
}

# Both releases date their zips alike: the copy has no history to ask.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)"
fi
export SOURCE_DATE_EPOCH

"$root/scripts/release.sh"
/usr/bin/python3 "$root/tests/build/check_release.py" "$root/dist"
[ "${1:-}" = --reproducible ] || exit 0

# The files git knows of, as they are now: the same sources at another path,
# built in another build folder.
copy="$(mktemp -d /tmp/korvane-release-copy.XXXXXX)"
trap 'rm -rf "$copy"' EXIT
(cd "$root" && git ls-files -z --cached --others --exclude-standard |
  xargs -0 cp --parents -t "$copy")
KORVANE_DIST="$copy/dist" "$copy/scripts/release.sh"
if ! diff -r "$root/dist" "$copy/dist"; then
  echo "FAILED: two releases of one tree differ (in $root/dist and another folder)" >&2
  exit 1
fi
echo "reproducible: $(ls "$root/dist" | wc -l) files byte-identical from $root and $copy" >&2
