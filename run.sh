#!/usr/bin/env bash
# Installs what is missing, builds the program (Release) under build/ and starts it.
set -euo pipefail
cd "$(dirname "$0")"
./deps.sh
echo "run: configuring and building build/ (Release)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build --target velmorant
echo "run: starting build/velmorant $*"
exec ./build/velmorant "$@"
