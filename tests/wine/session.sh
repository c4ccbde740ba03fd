#!/bin/sh
# Starts or stops the Wine session that a test-suite run shares: a throwaway Wine prefix, made
# once (a new prefix takes tens of seconds), a Wine server kept alive for the run, and an Xvfb
# display for the message boxes. Its folder is $LUMORA_WINE_SESSION.
set -u
session="${LUMORA_WINE_SESSION:?}"
wine64=/usr/lib/wine/wine64
export WINEPREFIX="$session/prefix" WINEDEBUG=-all WINELOADER="$wine64"

stop() {
  [ -d "$WINEPREFIX" ] && wineserver -k >/dev/null 2>&1
  if [ -f "$session/xvfb.pid" ]; then
    kill "$(cat "$session/xvfb.pid")" 2>/dev/null
  fi
  rm -rf "$session"
}

start_xvfb() {
  command -v Xvfb >/dev/null 2>&1 || { echo "no Xvfb: tests that read message boxes are skipped"; return; }
  number=90
  while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do
    number=$((number + 1))
  done
  setsid Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  echo $! >"$session/xvfb.pid"
  tries=0
  while [ ! -e "/tmp/.X11-unix/X$number" ] && [ $tries -lt 100 ]; do
    sleep 0.1
    tries=$((tries + 1))
  done
  [ -e "/tmp/.X11-unix/X$number" ] && echo ":$number" >"$session/display"
}

case "${1:-}" in
  start)
    if [ ! -x "$wine64" ]; then
      echo "skipped: Wine is not installed"
      exit 77
    fi
    stop
    mkdir -p "$session"
    start_xvfb
    # The prefix is made with the display, or the first program to open a window in it finds no
    # graphics driver. The server and the services that wineboot starts are detached from
    # CTest's pipes, or CTest would wait for them to end.
    [ -f "$session/display" ] && DISPLAY=$(cat "$session/display") && export DISPLAY
    "$wine64" wineboot -i </dev/null >/dev/null 2>&1
    setsid wineserver -p </dev/null >/dev/null 2>&1 &
    # Without a window manager, Wine's managed windows make every box close and process exit
    # wait seconds; unmanaged windows do not.
    "$wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
    [ -d "$WINEPREFIX/drive_c" ] || { echo "the Wine prefix could not be made"; exit 1; }
    echo "Wine session ready in $session"
    ;;
  stop)
    stop
    ;;
  *)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
