#!/usr/bin/env bash
# Builds everything and runs every test: the normal build in build/, the
# AddressSanitizer + UndefinedBehaviorSanitizer build in build-asan/, and a short
# run of every fuzzer over its seed corpus (clang, build-fuzz/).
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/setup.sh

JOBS=$(nproc)
GEN=()
if command -v ninja >/dev/null 2>&1; then GEN=(-G Ninja); fi

configure() { # dir, extra cmake args...
    local dir=$1
    shift
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S . -B "$dir" "${GEN[@]}" "$@"
    else
        cmake -S . -B "$dir" "$@" >/dev/null
    fi
}

echo "== normal build (build/)"
configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$JOBS"
(cd build && ctest --output-on-failure -j "$JOBS" --timeout 300)

echo "== sanitizer build (build-asan/)"
configure build-asan -DCMAKE_BUILD_TYPE=Debug -DHIMAWARI_SANITIZE=ON -DHIMAWARI_BENCH=OFF
cmake --build build-asan -j "$JOBS"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j "$JOBS" --timeout 600)

if command -v clang++ >/dev/null 2>&1 && [ -n "$(ls fuzz/*/CMakeLists.txt 2>/dev/null)" ]; then
    echo "== fuzzers, a short run each (build-fuzz/)"
    configure build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
        -DHIMAWARI_SANITIZE=ON -DHIMAWARI_FUZZ=ON -DHIMAWARI_TESTS=OFF -DHIMAWARI_BENCH=OFF
    cmake --build build-fuzz -j "$JOBS"
    bash scripts/fuzz.sh build-fuzz 20
fi
echo "== all tests passed"
