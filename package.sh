#!/usr/bin/env bash
# Installs what is missing, builds the program (Release) under build/, as ./run.sh
# does, and makes the Debian package velmorant_<version>_amd64.deb here with CPack
# (dpkg-shlibdeps computes its library dependencies). Only the program is built:
# no tests, no benchmarks. Also installs lintian, which checks the package.
set -euo pipefail
cd "$(dirname "$0")"
./deps.sh dpkg-dev file lintian
echo "package: configuring and building build/ (Release)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELMO_TESTS=OFF -DVELMO_BENCH=OFF >/dev/null
cmake --build build --target velmorant velmo_packaging_files
echo "package: making the Debian package"
rm -f build/velmorant_*.deb
(cd build && cpack -G DEB >/dev/null)
cp build/velmorant_*.deb .
ls -l velmorant_*.deb
