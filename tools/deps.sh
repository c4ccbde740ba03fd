#!/bin/sh
# Installs the Debian 12 packages that a job needs and that are missing.
#   tools/deps.sh main   what building and running the launcher with the demo needs
#   tools/deps.sh test   what building every target and running every test needs
# Run as root (or with sudo available); nothing is installed when everything is there already.
set -eu

main_packages="cmake g++ make pkg-config libxml2-dev default-jdk-headless"
test_packages="$main_packages googletest g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 wine wine64 wine32:i386 xvfb xauth
  clang libclang-rt-14-dev valgrind"

case "${1:-}" in
  main) packages=$main_packages ;;
  test) packages=$test_packages ;;
  *) echo "usage: $0 main|test" >&2; exit 2 ;;
esac

missing=""
for package in $packages; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing="$missing $package"
done
[ -n "$missing" ] || exit 0

if [ "$(id -u)" -eq 0 ]; then
  run_as_root=""
elif command -v sudo >/dev/null 2>&1; then
  run_as_root="sudo"
else
  echo "missing packages:$missing; run this as root to install them" >&2
  exit 1
fi

echo "installing:$missing"
case "$missing" in
  *:i386*)
    # Wine's 32-bit part comes from the i386 architecture.
    dpkg --print-foreign-architectures | grep -qx i386 || $run_as_root dpkg --add-architecture i386
    ;;
esac
export DEBIAN_FRONTEND=noninteractive
$run_as_root apt-get update -q
# shellcheck disable=SC2086
$run_as_root apt-get install -y -q --no-install-recommends $missing
