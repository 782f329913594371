#!/usr/bin/env bash
# Builds the project with sanitizers and runs the test suites and the
# scenarios on SQLite and PostgreSQL; fails on any sanitizer report, even
# one in a test that passed.
#   scripts/sanitize.sh [asan|tsan|all] [ctest options...]
#   asan: AddressSanitizer + UndefinedBehaviorSanitizer, in build-asan/
#         (vptr checks off: SOCI's libraries do not export the type information)
#   tsan: ThreadSanitizer, in build-tsan/, on what runs a session's thread
#         (the runtime suite and the test modules' scenarios; ZR_TSAN_FULL=1
#         adds the framework suite, the library's scenarios and the web server)
# Uses ZR016_TEST_PG when set, else starts a throwaway PostgreSQL cluster.
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-all}" in
  -h|--help)
    sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'
    exit 0 ;;
  asan|tsan) kinds=$1; shift ;;
  all) kinds="asan tsan"; [ $# -gt 0 ] && shift ;;
  *) echo "sanitize: expected asan, tsan or all, found '$1' (see --help)" >&2; exit 2 ;;
esac

if [ -z "${ZR016_TEST_PG:-}" ]; then
  pg_dir=$(mktemp -d /tmp/zr016-san-pg.XXXXXX)
  trap 'scripts/pg-cluster.sh stop "$pg_dir"' EXIT
  trap 'exit 130' INT TERM
  ZR016_TEST_PG=$(scripts/pg-cluster.sh start "$pg_dir")
  export ZR016_TEST_PG
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
status=0
for kind in $kinds; do
  build=build-$kind
  case $kind in
    asan)
      flags="-fsanitize=address,undefined -fno-sanitize=vptr -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
      targets=()  # everything
      tests=() ;;
    tsan)
      flags="-fsanitize=thread"
      # The runtime suite and the scenarios on the test modules: sessions served
      # on their own thread, as the command line and a front end run them.
      # ZR_TSAN_FULL=1 adds the framework suite, the library's scenarios and
      # the browser front end's server (its sessions, event streams and soak).
      targets=(--target runtime_tests formhost_cli zrframe zrtest zrtestframe zrtestempty)
      tests=(-R '^(ModuleTest|ScriptArrays|SiteId|Registry|SessionTest|Definitions|scenario_init_db|scenario_session_at_work$|scenario_unmet|scenario_bad)')
      if [ -n "${ZR_TSAN_FULL:-}" ]; then
        targets+=(app_tests zr016 web_tests)
        tests=(-R '^(app[.]|web[.]|web_soak|ModuleTest|ScriptArrays|SiteId|Registry|SessionTest|Definitions|scenario_)')
      fi ;;
  esac
  mkdir -p "$build"
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZR_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$flags" \
    "${launcher[@]}" >"$build/configure.log" 2>&1 || { cat "$build/configure.log" >&2; exit 1; }
  cmake --build "$build" -j2 "${targets[@]}" >"$build/build.log" 2>&1 \
    || { grep -A5 -E 'error|FAILED' "$build/build.log" | head -40 >&2; exit 1; }

  # Every report goes to a file, so none hides behind a test that expects failure.
  reports=$(realpath "$build")/sanitizer-reports
  rm -rf "$reports"
  mkdir -p "$reports"
  export ASAN_OPTIONS="log_path=$reports/asan:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
  export UBSAN_OPTIONS="log_path=$reports/ubsan:print_stacktrace=1:halt_on_error=1"
  export TSAN_OPTIONS="log_path=$reports/tsan:second_deadlock_stack=1"
  export LSAN_OPTIONS="suppressions=$(pwd)/scripts/lsan.supp"
  set +e
  ctest --test-dir "$build" --output-on-failure -j2 "${tests[@]}" "$@" >"$build/ctest.log" 2>&1
  ctest_status=$?
  set -e
  summary=$(grep -E 'tests passed|tests failed' "$build/ctest.log" | tail -n 1 || true)
  # A log holding only the suppressions' counts is no report.
  # (grep finds none: no report, not a failure of the script)
  report_files=$(grep -lE 'ERROR: |runtime error:|WARNING: ThreadSanitizer' "$reports"/* 2>/dev/null || true)
  found=$(printf '%s' "$report_files" | grep -c . || true)
  logs=$(find "$reports" -type f | wc -l)
  echo "$kind: $summary; $found sanitizer report(s) ($logs log(s) in all, the rest only counting suppressions)"
  if [ "$found" -gt 0 ]; then
    for f in $report_files; do
      echo "--- $f"
      head -n 40 "$f"
    done
    status=1
  fi
  if [ $ctest_status -ne 0 ]; then
    grep -E '^\s+[0-9]+ - ' "$build/ctest.log" | head -20
    status=1
  fi
done
exit $status
