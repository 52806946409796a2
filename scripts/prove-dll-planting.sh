#!/usr/bin/env bash
# Shows under Wine which DLLs planted beside a program get loaded into it. A
# small DLL that leaves a mark beside itself when it is loaded is put beside a
# copy of the program under each name given; Wine is told to prefer such DLLs
# to its own (WINEDLLOVERRIDES native first), and the program is started from
# that folder for a few seconds. Prints each name with "loaded" or "not
# loaded"; exits 1 when one was loaded.
#
#   scripts/prove-dll-planting.sh ARCH PROGRAM.exe [NAME.dll ...]
#
# Without names: comctl32.dll, which a program importing COMCTL32 takes from its
# own folder, and bcrypt.dll and crypt32.dll, which Wine loads by name once the
# program runs (as dependencies of rsaenh.dll, which the stack protector's
# random seed brings in) and so are kept out only by the narrowed DLL search.
# Names Wine loads while it starts the process (imm32, version, shlwapi, ...)
# come from the planted copies whatever the program does: Wine's loader has no
# KnownDLLs, which on Windows keep those in the system folder.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ $# -lt 2 ]; then sed -n '2,17p' "$0" >&2; exit 2; fi
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
arch="$1" program="$(realpath "$2")"
shift 2
names=("$@")
[ ${#names[@]} -gt 0 ] || names=(comctl32.dll bcrypt.dll crypt32.dll)

export KORVANE_WINEPREFIX="${KORVANE_WINEPREFIX:-$root/build/dll-planting/wineprefix}"
source "$root/scripts/wine-env.sh"
korvane_prepare_prefix
korvane_start_wineserver
folder="$(mktemp -d /tmp/korvane-planted.XXXXXX)"
trap 'korvane_stop_wineserver; rm -rf "$folder"' EXIT

# The mark is the DLL's own path with ".loaded" after it.
cat >"$folder/planted.c" <<'SOURCE'
#include <windows.h>
BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    char path[MAX_PATH + 8];
    DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH || length == 0 || length >= MAX_PATH) return TRUE;
    lstrcpyA(path + length, ".loaded");
    CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    return TRUE;
}
SOURCE
"$arch-w64-mingw32-gcc" -shared -O2 -o "$folder/planted.dll" "$folder/planted.c"
cp "$program" "$folder/Korvane_Safe_Eject.exe"
overrides=""
for name in "${names[@]}"; do
  cp "$folder/planted.dll" "$folder/$name"
  overrides="$overrides${overrides:+,}${name%.dll}"
done

export WINEDLLOVERRIDES="$overrides=n,b;$WINEDLLOVERRIDES"
(cd "$folder" && exec "$(korvane_wine_loader "$arch")" ./Korvane_Safe_Eject.exe) &
sleep "${PLANTED_WAIT:-6}"
kill $! 2>/dev/null || true
wait $! 2>/dev/null || true

loaded=0
for name in "${names[@]}"; do
  # The loader names the file as the import does, in any case.
  if ls "$folder" | grep -qix "$name.loaded"; then
    echo "loaded      $name"
    loaded=1
  else
    echo "not loaded  $name"
  fi
done
exit $loaded
