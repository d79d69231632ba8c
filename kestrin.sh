#!/usr/bin/env bash
# Sets up a Debian 12 machine for Kestrin, builds it, and then plays it or runs every test.
#
#   ./kestrin.sh play   install what is missing, build, start the game
#   ./kestrin.sh test   install what is missing, build, run every test (also under the sanitizers)
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-multimedia-dev libgl-dev libgtest-dev
          fonts-dejavu-core xvfb xauth xdotool imagemagick clang libclang-rt-14-dev clang-format clang-tidy)

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
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build build
}

case "${1:-play}" in
    play)
        install_missing
        build -DKESTRIN_WERROR=OFF
        exec build/bin/Kestrin
        ;;
    test)
        install_missing
        echo "== Code style (clang-format)"
        git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
        build -DKESTRIN_WERROR=ON
        echo "== Bug-prone patterns and needless copies (clang-tidy)"
        run-clang-tidy -quiet -p build -j "$(nproc)" "$(pwd)/(core|link|window|records|shell|platform|ui|app)/" \
            >build/clang-tidy.log 2>&1 || { sed 's/\x1b\[[0-9;]*m//g' build/clang-tidy.log | grep -E 'error:|warning:'; exit 1; }
        echo "clang-tidy: no findings"
        echo "== Logic, adapter and window tests"
        (cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure)
        echo "== Logic tests built and run under AddressSanitizer + UndefinedBehaviorSanitizer"
        cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRIN_LOGIC_ONLY=ON -DKESTRIN_SANITIZE=ON
        cmake --build build-sanitize
        (cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure)
        echo "== Fuzzing the receivers (libFuzzer, AddressSanitizer + UndefinedBehaviorSanitizer)"
        cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DKESTRIN_LOGIC_ONLY=ON -DKESTRIN_FUZZ=ON \
              -DCMAKE_BUILD_TYPE=Debug
        cmake --build build-fuzz --target kestrin_fuzz_receivers
        # The fuzzer adds to the corpus it is given, so it works on a copy; a failing input is
        # kept in build-fuzz/fuzz-failures/.
        fuzz_dir=$(mktemp -d)
        cp -r fuzz/corpus "$fuzz_dir/corpus"
        mkdir -p build-fuzz/fuzz-failures
        if ! UBSAN_OPTIONS=print_stacktrace=1 build-fuzz/bin/kestrin_fuzz_receivers -dict=fuzz/receivers.dict \
                -max_len=8192 -timeout=10 -runs=20000 -max_total_time=60 -artifact_prefix=build-fuzz/fuzz-failures/ \
                "$fuzz_dir/corpus" >"$fuzz_dir/log" 2>&1; then
            tail -n 80 "$fuzz_dir/log"
            rm -rf "$fuzz_dir"
            echo "The fuzzer found a failing input (build-fuzz/fuzz-failures/); replay it with" >&2
            echo "  KESTRIN_FUZZ_SHOW=1 build-fuzz/bin/kestrin_fuzz_receivers build-fuzz/fuzz-failures/<file>" >&2
            exit 1
        fi
        echo "Fuzzing ran $(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$fuzz_dir/log") inputs"
        rm -rf "$fuzz_dir"
        ;;
    *)
        echo "usage: $0 play|test" >&2
        exit 2
        ;;
esac
