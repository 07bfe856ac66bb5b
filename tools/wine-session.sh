# Sourced by the test command: a private Wine prefix on a private X display,
# so that the Windows tests show real windows without touching the user's.
#   wine_session_start PREFIX   exports WINEPREFIX, DISPLAY and WINEDEBUG
#   wine_session_stop
wine_session_start() {
  # Wine takes its locale from Unix's: in UTF-8, folder names of any script
  # reach Windows intact, and in English the system's messages are the tests'.
  # No debugger: a program that crashes ends, instead of waiting on a click.
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d" LC_ALL=C.UTF-8
  local display
  for display in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] || break
  done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp > /dev/null 2>&1 &
  wine_session_xvfb=$!
  export DISPLAY=:$display
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Making a private Wine prefix in $WINEPREFIX"
  fi
  wineboot -i > /dev/null 2>&1
}

wine_session_stop() {
  wineserver -k 2> /dev/null || true
  kill "$wine_session_xvfb" 2> /dev/null || true
}
