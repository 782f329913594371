#!/usr/bin/env bash
# Runs a scenario on the PostgreSQL server of ZR016_TEST_PG, in a schema of its
# own that is created empty, filled by init-db and dropped afterwards, so every
# run starts from the same state and runs side by side do not meet.
#   scenario_pg.sh FORMHOST SCENARIO [INIT-DB OPTIONS] -- [RUN OPTIONS]
# Exits 77 (ctest: skipped) when ZR016_TEST_PG is not set.
set -euo pipefail

formhost=$1
scenario=$2
shift 2
init=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do init+=("$1"); shift; done
[ $# -gt 0 ] && shift
run=("$@")

if [ -z "${ZR016_TEST_PG:-}" ]; then
  echo "ZR016_TEST_PG is not set: no PostgreSQL server to run $scenario on"
  exit 77
fi

schema="zrscn_$(basename "$scenario" .scn)_$$"
sql() { PGOPTIONS='-c client_min_messages=warning' psql "$ZR016_TEST_PG" -X -q -v ON_ERROR_STOP=1 "$@"; }
sql -c "drop schema if exists $schema cascade" -c "create schema $schema"
trap 'sql -c "drop schema if exists $schema cascade" || true' EXIT

# The server puts the tables in the first schema of the search path.
sep='?'
case "$ZR016_TEST_PG" in *\?*) sep='&' ;; esac
db="$ZR016_TEST_PG${sep}options=-csearch_path=$schema"

# A failure of formhost is the test's failure, whatever its exit code.
"$formhost" init-db --db "$db" "${init[@]}" || exit 1
"$formhost" run "$scenario" --db "$db" "${run[@]}" || exit 1
