#!/usr/bin/env bash
# Fuzzes one target (or all) with libFuzzer for SECONDS each.
#   scripts/fuzz.sh TARGET|all SECONDS [libFuzzer options...]
# Builds the targets with clang 16 in build-fuzz/ (installing it and its
# fuzzer runtime from Debian when missing), starts from the seeds in
# tests/fuzz/corpus/TARGET and keeps what it learns in build-fuzz/corpus/TARGET.
# A finding is written to build-fuzz/findings/; copy it into the target's
# corpus folder once fixed, so the replay tests keep it fixed. Prints the
# executions per target; exits 1 on a finding.
set -euo pipefail
cd "$(dirname "$0")/.."

targets=$(sed -n 's/^set(zr_fuzz_targets \(.*\))$/\1/p' tests/fuzz/CMakeLists.txt)
usage() {
  echo "usage: scripts/fuzz.sh TARGET|all SECONDS [libFuzzer options...]"
  echo "targets: $targets"
}
case "${1:-}" in
  -h|--help) usage; exit 0 ;;
esac
[ $# -ge 2 ] || { usage >&2; exit 2; }
target=$1
seconds=$2
shift 2
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "fuzz: SECONDS must be a number, found '$seconds'" >&2; exit 2; }
if [ "$target" = all ]; then
  run=$targets
else
  [[ " $targets " == *" $target "* ]] || { echo "fuzz: no target '$target' ($targets)" >&2; exit 2; }
  run=$target
fi

# clang 16 with libFuzzer's runtime: clang 14 cannot compile std::source_location
# with this libstdc++.
if ! command -v clang++-16 >/dev/null || [ ! -f /usr/lib/llvm-16/lib/clang/16/lib/linux/libclang_rt.fuzzer-x86_64.a ]; then
  echo "fuzz: installing clang 16 and its fuzzer runtime"
  sudo=; [ "$(id -u)" -eq 0 ] || sudo=sudo
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends clang-16 libclang-rt-16-dev
fi

build=build-fuzz
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
mkdir -p "$build"
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang-16 CXX=clang++-16 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZR_FUZZ=ON -DZR_BUILD_BENCH=OFF "${launcher[@]}" >"$build/configure.log" 2>&1 \
    || { cat "$build/configure.log" >&2; exit 1; }
fi
cmake --build "$build" -j2 --target $(for t in $run; do printf '%s_fuzz ' "$t"; done) >"$build/build.log" 2>&1 \
  || { grep -A5 -E 'error|FAILED' "$build/build.log" | head -40 >&2; exit 1; }

# Stack traces with names.
for s in /usr/lib/llvm-16/bin/llvm-symbolizer /usr/bin/llvm-symbolizer; do
  [ -x "$s" ] && { export ASAN_SYMBOLIZER_PATH=$s; break; }
done
mkdir -p "$build/findings"
status=0
total=0
for t in $run; do
  mkdir -p "$build/corpus/$t"
  dict=(); [ -f "tests/fuzz/$t.dict" ] && dict=(-dict="tests/fuzz/$t.dict")
  log="$build/findings/$t.log"
  if "$build/bin/${t}_fuzz" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$build/findings/$t-" "${dict[@]}" "$@" \
      "$build/corpus/$t" "tests/fuzz/corpus/$t" >"$log" 2>&1; then
    result=ok
  else
    result="FINDING (see $log)"
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 || true)
  echo "$t: ${runs:-?} executions in ${seconds}s, ${cov:-cov: ?}, corpus $(ls "$build/corpus/$t" | wc -l): $result"
  total=$((total + ${runs:-0}))
done
echo "total: $total executions"
exit $status
