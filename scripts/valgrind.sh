#!/usr/bin/env bash
# Runs the test programs of build/ under valgrind's memcheck: fails on any
# invalid read or write, use of uninitialised memory or bad free (leaks are
# left to scripts/sanitize.sh). Slow: minutes per program.
#   scripts/valgrind.sh [PROGRAM...] [-- gtest options...]
# PROGRAM is one of host_tests runtime_tests db_tests catalogue_tests app_tests
# (default: all). Uses ZR016_TEST_PG when set, else starts a throwaway
# PostgreSQL cluster.
set -euo pipefail
cd "$(dirname "$0")/.."

programs=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
  case $1 in
    -h|--help) sed -n '2,8p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) programs+=("$1") ;;
  esac
  shift
done
[ "${1:-}" = -- ] && shift
[ ${#programs[@]} -gt 0 ] || programs=(host_tests runtime_tests db_tests catalogue_tests app_tests)
command -v valgrind >/dev/null || { echo "valgrind: not installed (apt-get install valgrind)" >&2; exit 2; }
[ -f build/CMakeCache.txt ] || { echo "valgrind: configure and build build/ first (see README)" >&2; exit 2; }
cmake --build build -j2 --target "${programs[@]}" >build/valgrind-build.log 2>&1 \
  || { tail -n 30 build/valgrind-build.log >&2; exit 1; }

if [ -z "${ZR016_TEST_PG:-}" ]; then
  pg_dir=$(mktemp -d /tmp/zr016-vg-pg.XXXXXX)
  trap 'scripts/pg-cluster.sh stop "$pg_dir"' EXIT
  ZR016_TEST_PG=$(scripts/pg-cluster.sh start "$pg_dir")
  export ZR016_TEST_PG
fi

status=0
for p in "${programs[@]}"; do
  log=build/valgrind-$p.log
  start=$SECONDS
  if valgrind --error-exitcode=99 --errors-for-leak-kinds=none --leak-check=no \
       --log-file="$log.vg" "build/bin/$p" "$@" >"$log" 2>&1; then
    result=clean
  else
    result="FAILED (see $log and $log.vg)"
    status=1
  fi
  errors=$(sed -n 's/.*ERROR SUMMARY: \([0-9]*\) errors.*/\1/p' "$log.vg" | tail -n 1)
  echo "$p: $(grep -E '^\[  PASSED  \]|^\[  FAILED  \]' "$log" | head -n 1), valgrind errors: ${errors:-?}, $((SECONDS - start))s: $result"
done
exit $status
