#!/bin/sh
# The main job: builds LumoraHost for Linux with the demo application and starts the demo
# installation through the machine's JDK, with a log and a file to open. Extra arguments go to
# the launcher.
set -eu
cd "$(dirname "$0")/.."
sh tools/deps.sh main
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$(nproc)"

install=build/linux/demo-install
log="$PWD/build/linux/demo-run.log"
echo "== Starting $install/LumoraHost"
status=0
"$install/LumoraHost" "-log:$log" "-openfile:$PWD/README.md" "$@" || status=$?
echo "== LumoraHost exited with $status; its log ($log):"
cat "$log"
exit "$status"
