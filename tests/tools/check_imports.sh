#!/bin/sh
# Usage: check_imports.sh <objdump> <exe-or-dll>...
# Fails when a Windows program or DLL imports a DLL outside those that every Windows has, so that
# what we ship runs on a bare machine. The C runtime's api-ms-win-crt-* forwarders (the Universal
# CRT) are not among them: the builds link their runtime statically.
set -u
if [ $# -lt 2 ]; then
  echo "usage: $0 <objdump> <exe-or-dll>..." >&2
  exit 2
fi
objdump="$1"
shift

allowed=" kernel32.dll user32.dll gdi32.dll advapi32.dll shell32.dll ole32.dll oleaut32.dll"
allowed="$allowed msvcrt.dll shlwapi.dll comctl32.dll version.dll "

status=0
for file in "$@"; do
  if ! headers=$("$objdump" -p "$file" 2>&1); then
    echo "$file: $objdump cannot read it: $headers" >&2
    status=1
    continue
  fi
  case "$headers" in
    *"file format pei-"*) ;;
    *)
      echo "$file: not a Windows program or DLL" >&2
      status=1
      continue
      ;;
  esac
  bad=0
  dlls=$(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr -d '\r')
  for dll in $dlls; do
    lower=$(printf '%s' "$dll" | tr 'A-Z' 'a-z')
    case "$allowed" in
      *" $lower "*) ;;
      *)
        echo "$file imports $dll, which not every Windows has" >&2
        bad=1
        ;;
    esac
  done
  if [ $bad -eq 0 ]; then
    echo "$file imports only system DLLs:" $dlls
  else
    status=1
  fi
done
exit $status
