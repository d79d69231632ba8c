#!/usr/bin/env bash
# Sets up a Debian 12 machine for Kestrin, builds it, and then plays it or runs every test.
#
#   ./kestrin.sh play   install what is missing, build, start the game
#   ./kestrin.sh test   install what is missing, build, run every test (also under the sanitizers)
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-multimedia-dev libgl-dev libgtest-dev
          fonts-dejavu-core xvfb xauth xdotool imagemagick)

install_missing() {
    local missing=() package
    for package in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
    done
    if ((${#missing[@]})); then
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo=sudo
        echo "Installing: ${missing[*]}"
        $sudo apt-get update -q
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}"
    fi
}

build() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build
}

case "${1:-play}" in
    play)
        install_missing
        build
        exec build/bin/Kestrin
        ;;
    test)
        install_missing
        build
        echo "== Logic, adapter and window tests"
        (cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure)
        echo "== Logic tests built and run under AddressSanitizer + UndefinedBehaviorSanitizer"
        cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRIN_LOGIC_ONLY=ON -DKESTRIN_SANITIZE=ON
        cmake --build build-sanitize
        (cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure)
        ;;
    *)
        echo "usage: $0 play|test" >&2
        exit 2
        ;;
esac
