#!/usr/bin/env bash
# Sets up the machine, builds the program and shows what it can run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target formhost_cli zrtest zrtestframe
# Until the framework and the library exist, list the classes of the test modules.
build/bin/formhost list --module build/lib/libzrtestframe.so --module build/lib/libzrtest.so
