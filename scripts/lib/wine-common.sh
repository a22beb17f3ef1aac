# shellcheck shell=bash disable=SC2034
# Shared definitions for scripts/setup-wine and scripts/wine-run (sourced, not run).
#
# One Wine prefix per (width, display) pair lives outside the repository:
#   ${STIPPLEWAVE_WINE_ROOT:-${XDG_CACHE_HOME:-$HOME/.cache}/stipplewave}/wine-<arch>[-x11]
# STIPPLEWAVE_WINE_DISPLAY=null (default) selects the prefix whose graphics
# driver is null (windows work without an X server); =x11 selects a separate
# prefix with the real X11 driver, for runs under Xvfb.

wine_root() {
  printf '%s\n' "${STIPPLEWAVE_WINE_ROOT:-${XDG_CACHE_HOME:-$HOME/.cache}/stipplewave}"
}

# Prints the display mode (null or x11) or fails on anything else.
wine_display_mode() {
  local mode=${STIPPLEWAVE_WINE_DISPLAY:-null}
  case $mode in
    null|x11) printf '%s\n' "$mode" ;;
    *) echo "STIPPLEWAVE_WINE_DISPLAY must be null or x11, not '$mode'" >&2; return 1 ;;
  esac
}

wine_check_arch() {
  case ${1:-} in
    win32|win64) ;;
    *) echo "ARCH must be win32 or win64, not '${1:-}'" >&2; return 1 ;;
  esac
}

wine_prefix_dir() { # ARCH MODE
  local suffix=
  [ "$2" = x11 ] && suffix=-x11
  printf '%s/wine-%s%s\n' "$(wine_root)" "$1" "$suffix"
}

# The 32-bit loader runs under qemu-i386 through binfmt_misc; /usr/bin/wine
# picks it once wine32 is installed. The 64-bit loader is called directly
# because /usr/bin/wine would pick the 32-bit one.
wine_loader() { # ARCH
  if [ "$1" = win32 ]; then echo /usr/bin/wine; else echo /usr/lib/wine/wine64; fi
}

# The 64-bit wineserver runs natively and serves 32-bit clients too, so the
# emulated width does not pay for an emulated server.
WINE_SERVER=/usr/lib/wine/wineserver64

# A prefix is created (wineboot, marked by WINE_CREATED_NAME), then configured
# (marked by WINE_STAMP_NAME, which records the WINE_PREFIX_SETTINGS it got).
WINE_CREATED_NAME=.stipplewave-prefix-created
WINE_STAMP_NAME=.stipplewave-prefix-ready
WINE_PREFIX_SETTINGS=2
WINE_SCRIPTS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# The session keeper (see wine-keepalive.c), built into each prefix.
KEEPALIVE_SOURCE=$WINE_SCRIPTS_DIR/wine-keepalive.c
KEEPALIVE_NAME=stipplewave-keepalive.exe
BINFMT_DIR=/proc/sys/fs/binfmt_misc
BINFMT_ENTRY=$BINFMT_DIR/qemu-i386

# Environment every Wine process of ours gets: no crash debugger (it would
# wait for input and hang the run), no desktop integration, no Mono/Gecko
# installers, no debug chatter.
wine_export_env() { # ARCH MODE
  export WINEPREFIX
  WINEPREFIX=$(wine_prefix_dir "$1" "$2")
  export WINEARCH=$1
  export WINESERVER=$WINE_SERVER
  export WINEDEBUG=${STIPPLEWAVE_WINEDEBUG:--all}
  export WINEDLLOVERRIDES='winedbg.exe=d;winemenubuilder.exe=d;mscoree=d;mshtml=d'
}

wine_prefix_ready() { # ARCH MODE
  local prefix
  prefix=$(wine_prefix_dir "$1" "$2")
  grep -qx "settings=$WINE_PREFIX_SETTINGS" "$prefix/$WINE_STAMP_NAME" 2>/dev/null &&
    [ "$prefix/$KEEPALIVE_NAME" -nt "$KEEPALIVE_SOURCE" ]
}

binfmt_ready() {
  [ -r "$BINFMT_ENTRY" ] && grep -qx enabled "$BINFMT_ENTRY" &&
    grep -qx 'interpreter /usr/bin/qemu-i386' "$BINFMT_ENTRY" &&
    grep -q '^flags: .*F' "$BINFMT_ENTRY"
}
