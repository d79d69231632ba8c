#!/usr/bin/env bash
# Sets up a Debian 12 machine for Kestrin, builds it, and then plays it or runs every test.
#
#   ./kestrin.sh play      install what is missing, build the game alone, start it
#   ./kestrin.sh test      install what is missing, build, run every test (also under the sanitizers)
#   ./kestrin.sh package   install what is missing, build the Debian package kestrin_*.deb
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-multimedia-dev libgl-dev libgtest-dev
          fonts-dejavu-core xvfb xauth xdotool imagemagick clang libclang-rt-14-dev clang-format clang-tidy
          desktop-file-utils appstream man-db dpkg-dev file iproute2)
# For checking the package: lintian, and hardening-check from devscripts (without the many
# tools devscripts recommends).
PACKAGING_TOOLS=(lintian devscripts libcap2-bin)

# install_missing [--no-install-recommends] PACKAGE...
install_missing() {
    local options=() missing=() package
    if [[ ${1:-} == --no-install-recommends ]]; then
        options=("$1")
        shift
    fi
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
    done
    if ((${#missing[@]})); then
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo=sudo
        echo "Installing: ${missing[*]}"
        $sudo apt-get update -q
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${options[@]}" "${missing[@]}"
    fi
}

install_missing_with_packaging_tools() {
    install_missing "${PACKAGES[@]}"
    install_missing --no-install-recommends "${PACKAGING_TOOLS[@]}"
}

build() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build build
}

# Builds only the game and the libraries it links, in the same build/ (its program folder gets
# the sounds, pictures and read-me page when it is configured), so that a first start compiles
# no tests and no benchmarks; a later test run reuses what this one compiled.
build_game() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build build --target Kestrin
}

# Builds build-package/kestrin_<version>_<architecture>.deb with Debian's hardening flags
# (fortify, stack protector, relro, bind now, PIE, stack clash and branch protection) and
# prints its path.
build_package() {
    local cxxflags ldflags
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
    ldflags=$(dpkg-buildflags --get LDFLAGS)
    # Stack clash and branch protection come with newer dpkg-buildflags; Debian 12's gives
    # neither, so they are added here.
    case $(dpkg --print-architecture) in
        amd64 | i386) cxxflags+=" -fstack-clash-protection -fcf-protection" ;;
        arm64) cxxflags+=" -fstack-clash-protection -mbranch-protection=standard" ;;
    esac
    cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=None -DKESTRIN_TESTS=OFF -DKESTRIN_BENCH=OFF -DKESTRIN_WERROR=OFF \
          -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >&2
    cmake --build build-package >&2
    rm -f build-package/kestrin_*.deb
    (cd build-package && cpack -G DEB >&2)
    ls build-package/kestrin_*.deb
}

# Checks a package: lintian finds no error, the program in it passes hardening-check, and
# it holds the command link, the dependency on libcap2-bin and the post-install step.
check_package() {
    local deb=$1 unpacked status=0
    lintian --fail-on error "$deb" || { echo "lintian found errors in $deb" >&2; return 1; }
    unpacked=$(mktemp -d)
    dpkg-deb -x "$deb" "$unpacked"
    dpkg-deb -e "$deb" "$unpacked/DEBIAN"
    # Control flow integrity cannot be marked on Debian 12: its C library's start-up objects
    # carry no IBT note, so no program linked there gets one (/usr/bin/ls has none either).
    hardening-check --nocfprotection "$unpacked/usr/lib/kestrin/Kestrin" || status=1
    [[ -L $unpacked/usr/games/kestrin ]] || { echo "the package has no /usr/games/kestrin link" >&2; status=1; }
    grep -q 'setcap cap_net_bind_service=+ep "/usr/lib/kestrin/Kestrin"' "$unpacked/DEBIAN/postinst" ||
        { echo "the package does not give the game its port capability" >&2; status=1; }
    dpkg-deb -f "$deb" Depends | grep -q 'libcap2-bin' || { echo "the package does not depend on libcap2-bin" >&2; status=1; }
    [[ -f $unpacked/etc/ufw/applications.d/kestrin ]] && grep -qx /etc/ufw/applications.d/kestrin "$unpacked/DEBIAN/conffiles" ||
        { echo "the package does not hold the firewall profile as a conffile" >&2; status=1; }
    rm -rf "$unpacked"
    dpkg-deb -f "$deb" Package Version Section Depends
    return "$status"
}

# fuzz NAME CORPUS DICTIONARY MAX_LEN RUNS SECONDS: runs build-fuzz/bin/kestrin_fuzz_NAME. The
# fuzzer adds to the corpus it is given, so it works on a copy; a failing input is kept in
# build-fuzz/fuzz-failures/.
fuzz() {
    local name=$1 fuzz_dir
    fuzz_dir=$(mktemp -d)
    cp -r "$2" "$fuzz_dir/corpus"
    mkdir -p build-fuzz/fuzz-failures
    if ! UBSAN_OPTIONS=print_stacktrace=1 "build-fuzz/bin/kestrin_fuzz_$name" -dict="$3" -max_len="$4" -timeout=10 \
            -runs="$5" -max_total_time="$6" -artifact_prefix=build-fuzz/fuzz-failures/ "$fuzz_dir/corpus" \
            >"$fuzz_dir/log" 2>&1; then
        tail -n 80 "$fuzz_dir/log"
        rm -rf "$fuzz_dir"
        echo "The fuzzer found a failing input (build-fuzz/fuzz-failures/); replay it with" >&2
        echo "  build-fuzz/bin/kestrin_fuzz_$name build-fuzz/fuzz-failures/<file>" >&2
        echo "  (KESTRIN_FUZZ_SHOW=1 prints the receivers' whole scene)" >&2
        exit 1
    fi
    echo "Fuzzing $name ran $(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$fuzz_dir/log") inputs"
    rm -rf "$fuzz_dir"
}

# Builds the package, checks it and sets $deb to its path.
package_and_check() {
    deb=$(build_package)
    check_package "$deb"
}

case "${1:-play}" in
    play)
        install_missing "${PACKAGES[@]}"
        build_game -DKESTRIN_WERROR=OFF
        exec build/bin/Kestrin
        ;;
    test)
        install_missing_with_packaging_tools
        echo "== Code style (clang-format)"
        git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
        build -DKESTRIN_WERROR=ON
        echo "== Bug-prone patterns and needless copies (clang-tidy)"
        run-clang-tidy -quiet -p build -j "$(nproc)" "$(pwd)/(core|link|window|records|shell|platform|ui|app)/" \
            >build/clang-tidy.log 2>&1 || { sed 's/\x1b\[[0-9;]*m//g' build/clang-tidy.log | grep -E 'error:|warning:'; exit 1; }
        echo "clang-tidy: no findings"
        echo "== Logic, adapter and window tests"
        (cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure)
        echo "== The whole program and its tests built and run under AddressSanitizer + UndefinedBehaviorSanitizer"
        cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRIN_LOGIC_ONLY=OFF -DKESTRIN_SANITIZE=ON
        cmake --build build-sanitize
        (cd build-sanitize && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
            ctest --output-on-failure -E '^(install|network)\.')
        echo "== Fuzzing the receivers and finding games nearby (libFuzzer, AddressSanitizer + UndefinedBehaviorSanitizer)"
        cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DKESTRIN_LOGIC_ONLY=ON -DKESTRIN_FUZZ=ON \
              -DCMAKE_BUILD_TYPE=Debug
        cmake --build build-fuzz --target kestrin_fuzz_receivers kestrin_fuzz_discovery
        fuzz receivers fuzz/corpus fuzz/receivers.dict 8192 20000 60
        fuzz discovery fuzz/discovery fuzz/discovery.dict 4096 10000 30
        echo "== The Debian package, built with the hardening flags and checked"
        package_and_check
        ;;
    package)
        install_missing_with_packaging_tools
        package_and_check
        echo "Built $deb; install it with: sudo apt-get install ./$deb"
        ;;
    *)
        echo "usage: $0 play|test|package" >&2
        exit 2
        ;;
esac
