# Sourced: the quiet Wine prefix this tree's programs and tests run in.
# KORVANE_WINEPREFIX overrides where it lives.
korvane_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${KORVANE_WINEPREFIX:-$korvane_root/build/wineprefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
# No .NET or Gecko installers: their download prompts would stall every start.
export WINEDLLOVERRIDES="mscoree,mshtml="

# The loader that runs an architecture's programs as one process. `wine` is
# Wine's 32-bit loader once wine32 is installed: it runs a 64-bit program only
# through a 32-bit start.exe, as a second process, so 64-bit programs get the
# 64-bit loader itself (Debian puts no wine64 command on the PATH).
korvane_wine_loader() {
  case "$1" in
    x86_64) echo /usr/lib/wine/wine64 ;;
    *) echo wine ;;
  esac
}

# A prefix made before Wine's 32-bit side was installed cannot load kernel32
# for any program afterwards, and `wineboot -u` does not mend it: such a
# prefix is made anew. The mark says the prefix was made with both sides.
korvane_prefix_has_both_sides() {
  [ -f "$WINEPREFIX/.korvane-wine32" ]
}

# Creates the prefix once: Wine draws the window captions itself (no window
# manager runs under Xvfb), so windows close at once and keys work.
korvane_prepare_prefix() {
  if [ -f "$WINEPREFIX/system.reg" ] && ! korvane_prefix_has_both_sides; then
    echo "Remaking the Wine prefix $WINEPREFIX: it was made without Wine's 32-bit side" >&2
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wine wineboot --init >/dev/null 2>&1
    if [ -x /usr/lib/wine/wine ]; then touch "$WINEPREFIX/.korvane-wine32"; fi
  fi
  if [ ! -f "$WINEPREFIX/.korvane-configured" ]; then
    # Wine does not find Debian's copies of its own fonts by itself: without
    # Marlett the caption buttons draw as letters, and without Tahoma the
    # dialogs are measured in another font.
    cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      >/dev/null 2>&1
    touch "$WINEPREFIX/.korvane-configured"
  fi
}

# One persistent wineserver for a whole run: without it each wine process pays
# the server's linger, and services it spawns hold CTest's output pipe open.
korvane_start_wineserver() {
  wineserver -p
  wine wineboot >/dev/null 2>&1 || true
}

korvane_stop_wineserver() {
  wineserver -k 2>/dev/null || true
}
