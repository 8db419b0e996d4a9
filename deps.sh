#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, and any
# packages named as arguments (package.sh and tests/test_deps.sh add theirs), when
# any is missing.
set -euo pipefail
packages=("$@"
          cmake ninja-build g++ qt6-base-dev libgl-dev xvfb xauth fonts-ipafont-gothic
          poppler-utils imagemagick libgtest-dev libbenchmark-dev python3
          libcups2-dev libfontconfig-dev cups printer-driver-cups-pdf qt6-translations-l10n x11-utils
          desktop-file-utils libxlsxwriter-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "deps: installing ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
else
  echo "deps: all packages present"
fi
