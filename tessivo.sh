#!/usr/bin/env bash
# Set-up, build and start of Tessivo on Debian 12.
#   ./tessivo.sh run    install what is missing, build, start Tessivo
#   ./tessivo.sh test   install what is missing, build with the tests, run them
# Works as root, or as a user through sudo. Only packages that are not yet
# installed are installed.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cd "$here"

build_packages=(
  g++ make cmake pkg-config ccache
  qt6-base-dev qt6-svg-dev qt6-translations-l10n
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-bad gstreamer1.0-plugins-ugly
  gstreamer1.0-libav gstreamer1.0-tools gstreamer1.0-alsa gstreamer1.0-pulseaudio gstreamer1.0-x
  gstreamer1.0-plugins-base-apps
  libjpeg62-turbo-dev libraw1394-dev libavc1394-dev libiec61883-dev libasound2-dev libpulse-dev
  fonts-liberation fonts-dejavu-core
)
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth)

say() { printf '== %s\n' "$*"; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then
    "$@"
  elif command -v sudo >/dev/null 2>&1; then
    sudo "$@"
  else
    echo "Installing packages needs root: run this script as root, or install sudo." >&2
    exit 1
  fi
}

install_missing() {
  local missing=() package
  for package in "$@"; do
    if [ "$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null)" != "installed" ]; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  say "installing: ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

cpu_count() { nproc 2>/dev/null || echo 2; }

build() {
  local dir="$1"
  shift
  cmake -S . -B "$dir" "$@"
  cmake --build "$dir" -j "$(cpu_count)"
}

have_display() { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }

case "${1:-}" in
  run)
    packages=("${build_packages[@]}")
    have_display || packages+=(xvfb xauth)
    install_missing "${packages[@]}"
    build build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSIVO_TESTS=OFF -DTESSIVO_BENCH=OFF
    shift
    if have_display; then
      exec ./build/src/tessivo "$@"
    fi
    say "no screen found (DISPLAY is empty): Tessivo runs on a virtual screen; stop it with Ctrl+C"
    exec xvfb-run -a -s "-screen 0 1280x800x24" ./build/src/tessivo "$@"
    ;;
  test)
    install_missing "${build_packages[@]}" "${test_packages[@]}"
    options=(-DCMAKE_BUILD_TYPE=Debug -DTESSIVO_TESTS=ON -DTESSIVO_BENCH=ON)
    # CI builds the tests with the address and undefined-behaviour sanitizers.
    if [ "${CI:-}" = "true" ] || [ "${TESSIVO_SANITIZE:-}" = "1" ]; then
      options+=(-DTESSIVO_SANITIZE=ON)
      dir=build-test-sanitize
    else
      options+=(-DTESSIVO_SANITIZE=OFF)
      dir=build-test
    fi
    build "$dir" "${options[@]}"
    cd "$dir"
    if have_display; then
      ctest --output-on-failure -j "$(cpu_count)"
    else
      xvfb-run -a -s "-screen 0 1280x800x24" ctest --output-on-failure -j "$(cpu_count)"
    fi
    ;;
  *)
    echo "usage: $0 run | test" >&2
    exit 2
    ;;
esac
