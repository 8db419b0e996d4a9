#!/usr/bin/env bash
# Installs what is missing (the program's packages and the tests' own), builds the
# tests with AddressSanitizer and UndefinedBehaviorSanitizer under build-test/ and
# runs them with ctest.
set -euo pipefail
cd "$(dirname "$0")"
./deps.sh
tests/test_deps.sh  # the real input method and the locale its tests type in
echo "test: configuring and building build-test/ (sanitizers)"
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON -DVELMO_SANITIZE=ON >/dev/null
cmake --build build-test
echo "test: running ctest"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cd build-test
ctest --output-on-failure -j2 "$@"
