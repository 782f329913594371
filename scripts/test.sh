#!/usr/bin/env bash
# Sets up the machine, builds everything with warnings as errors and runs all
# tests, against SQLite and against a throwaway PostgreSQL cluster.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZR_WERROR=ON -DZR_BUILD_BENCH=ON
cmake --build build -j2

pg_dir=$(mktemp -d /tmp/zr016-pg.XXXXXX)
trap 'scripts/pg-cluster.sh stop "$pg_dir"' EXIT
ZR016_TEST_PG=$(scripts/pg-cluster.sh start "$pg_dir")
export ZR016_TEST_PG
ctest --test-dir build --output-on-failure -j2
