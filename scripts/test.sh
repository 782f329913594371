#!/usr/bin/env bash
# Sets up the machine, builds everything with warnings as errors and runs all tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZR_WERROR=ON -DZR_BUILD_BENCH=ON
cmake --build build -j2
ctest --test-dir build --output-on-failure -j2
