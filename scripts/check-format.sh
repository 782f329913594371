#!/usr/bin/env bash
# Checks that every C++ source of the project is laid out as .clang-format
# says; with --fix, lays them out. Names the files that differ.
set -euo pipefail
cd "$(dirname "$0")/.."

case "${1:-}" in
  -h|--help)
    echo "usage: scripts/check-format.sh [--fix]"
    echo "Checks the layout of every C++ source with clang-format; --fix rewrites them."
    exit 0 ;;
  --fix|"") ;;
  *) echo "check-format: unknown option '$1' (see --help)" >&2; exit 2 ;;
esac

if ! command -v clang-format >/dev/null; then
  echo "check-format: clang-format is not installed (scripts/setup-debian.sh installs it)" >&2
  exit 2
fi

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files '*.cpp' '*.h')
else
  # An unpacked copy without git: the project's own source folders.
  mapfile -t files < <(find app bench framework host runtime tests tools windows \
                         -name '*.cpp' -o -name '*.h' | sort)
fi
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run -Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -ne 0 ]; then
  echo "check-format: ${#bad[@]} file(s) differ from .clang-format (scripts/check-format.sh --fix):"
  printf '  %s\n' "${bad[@]}"
  exit 1
fi
echo "check-format: ${#files[@]} files as .clang-format says"
