#!/usr/bin/env bash
# Installs what the build and tests need, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh test
cmake -S . -B build -G Ninja -DTESSORY_BUILD_TESTS=ON >/dev/null
cmake --build build --parallel "$(nproc)"
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)" --timeout 300
