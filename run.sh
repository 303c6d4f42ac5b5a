#!/usr/bin/env bash
# Installs what the program needs, builds it, runs its install step and starts it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh run
cmake -S . -B build -G Ninja -DTESSORY_BUILD_TESTS=OFF -DCMAKE_INSTALL_PREFIX="$PWD/build/stage" >/dev/null
cmake --build build --parallel "$(nproc)" --target tessory tessory-setup
cmake --install build >/dev/null
build/stage/bin/tessory-setup
exec build/stage/bin/tessory "$@"
