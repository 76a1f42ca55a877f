# Sourced by scripts/windows-test and scripts/screenshots: a fresh Wine prefix
# and a virtual X display for this run only, both removed on exit.
#
#   wine_session_start [DPI]  # sets WINEPREFIX, DISPLAY; $wine runs a program
#   wine_set_dpi DPI          # the dots per inch of programs started from now on
#   wine_session_stop
#
# DPI (96 unless given) is the screen's: Wine's programs read it from
# HKCU\Control Panel\Desktop\LogPixels; the virtual screen grows with it.

wine=/usr/lib/wine/wine64

wine_session_start() {
  local dpi=${1:-96}
  prefix=$(mktemp -d /tmp/kv7700-wine.XXXXXX)
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
  # A display number nobody uses; Xvfb writes the one it took.
  local number_file=$prefix.display
  Xvfb -displayfd 3 -screen 0 "$((1280 * dpi / 96))x$((900 * dpi / 96))x24" -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  local waited=0
  while [ ! -s "$number_file" ] && [ $waited -lt 100 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  export DISPLAY=":$(head -1 "$number_file")"
  rm -f "$number_file"
  local started=$SECONDS
  "$wine" wineboot -i >/dev/null 2>&1
  # Marlett draws the title bars' buttons. (Wine's Tahoma stays out: the
  # dialogs' "MS Shell Dlg" then takes a system font as wide as Windows' own
  # dialog font, where Tahoma would cut the longer labels short.)
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  # Wine draws the windows' frames itself: there is no window manager.
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  [ "$dpi" = 96 ] || wine_set_dpi "$dpi"
  echo "   Wine prefix $prefix on display $DISPLAY at $dpi dpi, made in $((SECONDS - started)) s"
}

wine_set_dpi() {
  "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}

wine_session_stop() {
  WINEPREFIX=$prefix /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$prefix"
}
