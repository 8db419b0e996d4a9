#!/usr/bin/env bash
# Installs what is missing, builds the program (Release) under build-package/ with
# Debian's hardening flags (dpkg-buildflags, every feature: fortified functions,
# full RELRO with immediate binding, stack protector, PIE), and makes the Debian
# package velmorant_<version>_amd64.deb here with CPack (dpkg-shlibdeps computes
# its library dependencies). Only the program is built: no tests, no benchmarks.
# Also installs lintian, which checks the package.
set -euo pipefail
cd "$(dirname "$0")"
./deps.sh dpkg-dev file lintian
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# CMake reads no CPPFLAGS: the preprocessor's flags (_FORTIFY_SOURCE) go with the compiler's.
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
echo "package: configuring and building build-package/ (Release, hardened)"
echo "package: CXXFLAGS=$cxxflags"
echo "package: LDFLAGS=$ldflags"
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DVELMO_BENCH=OFF \
      "-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags" >/dev/null
cmake --build build-package --target velmorant velmo_packaging_files
echo "package: making the Debian package"
rm -f build-package/velmorant_*.deb
(cd build-package && cpack -G DEB >/dev/null)
rm -f velmorant_*.deb
cp build-package/velmorant_*.deb .
ls -l velmorant_*.deb
