#!/bin/sh
# Runs a Windows program under Wine, inside the test session's prefix (see session.sh), and
# passes its exit code on. Exits with 77, which CTest reports as skipped, when this machine
# cannot run the program: no Wine, or no way to run 32-bit programs.
set -u
program="$1"
shift

wine64=/usr/lib/wine/wine64
wine32=/usr/lib/wine/wine
if [ ! -x "$wine64" ]; then
  echo "skipped: Wine is not installed" >&2
  exit 77
fi

# The machine type in the PE header: 014c is i386, 8664 is x86-64.
offset=$(od -An -tu4 -j60 -N4 "$program" | tr -d ' ')
machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$program" | tr -d ' ')
loader="$wine64"
if [ "$machine" = "014c" ]; then
  loader="$wine32"
  if ! "$loader" --version >/dev/null 2>&1; then
    echo "skipped: this machine cannot run 32-bit programs (its kernel refuses Wine's 32-bit loader)" >&2
    exit 77
  fi
fi

session="${LUMORA_WINE_SESSION:-}"
if [ -z "$session" ] || [ ! -d "$session/prefix" ]; then
  echo "skipped: no Wine session; run the tests through CTest, which starts one" >&2
  exit 77
fi
export WINEPREFIX="$session/prefix" WINEDEBUG="${WINEDEBUG:--all}"
# Programs that show message boxes nobody reads (the unit tests) run without a display, where
# Wine's MessageBoxW returns at once.
unset DISPLAY
if [ -z "${LUMORA_WINE_NO_DISPLAY:-}" ] && [ -f "$session/display" ]; then
  DISPLAY=$(cat "$session/display")
  export DISPLAY
fi
# The 64-bit loader is Wine's loader for every program when only it can run.
[ "$loader" = "$wine64" ] && export WINELOADER="$wine64"

# The program's output goes through files, not straight to the caller's pipes: a process that
# Wine starts on the program's behalf (a headless console host, say) inherits them and may
# outlive the program, and CTest would wait for it until the test's timeout.
output=$(mktemp) && errors=$(mktemp) || exit 1
trap 'rm -f "$output" "$errors"' EXIT
"$loader" "$program" "$@" >"$output" 2>"$errors"
status=$?
cat "$output"
cat "$errors" >&2
exit $status
