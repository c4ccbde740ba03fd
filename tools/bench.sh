#!/bin/sh
# Builds LumoraHost for Linux and runs its benchmarks, printing a Markdown table; with
# --update-readme the table also replaces the one in README.md.
#   tools/bench.sh [--update-readme] [runs, default 21]
set -eu
cd "$(dirname "$0")/.."
update=""
if [ "${1:-}" = "--update-readme" ]; then update=1; shift; fi
runs="${1:-21}"
sh tools/deps.sh main
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$(nproc)" --target LumoraHost lumora_testjvm lumora_demo lumora_bench
java_home=$(cat build/linux/java-home.txt)
table=$(mktemp)
trap 'rm -f "$table"' EXIT
{
  echo "Measured on $(date -u +%Y-%m-%d) on $(nproc) cores ($(sed -n 's/^model name[^:]*: //p' /proc/cpuinfo | head -1)), $(uname -sr), JDK $("$java_home/bin/java" -version 2>&1 | head -1 | cut -d'"' -f2)."
  echo
  build/linux/lumora_bench build/linux/LumoraHost build/linux/libtestjvm.so \
    build/linux/demo/lumora-demo.jar "$java_home" "$runs"
} >"$table"
cat "$table"
if [ -n "$update" ]; then
  # The table stands between the two marker lines of the README's benchmark section.
  awk -v table="$table" '
    /<!-- bench:begin -->/ { print; while ((getline line < table) > 0) print line; skip = 1; next }
    /<!-- bench:end -->/ { skip = 0 }
    !skip { print }' README.md >README.md.new && mv README.md.new README.md
fi
