#!/usr/bin/env bash
# Sets up the machine, builds the program, creates the demo database
# (zr016.db, SQLite) and shows what the program can run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target formhost_cli zrframe zr016 zrtest zrtestframe
build/bin/formhost init-db --db sqlite:zr016.db --demo
# A scenario that shows a session at work (windows, a question, a response
# window), then the item list of the library on the demo database.
build/bin/formhost run tests/scenarios/session_at_work.scn --db sqlite:zr016.db \
  --module build/lib/libzrtestframe.so --module build/lib/libzrtest.so
# An operator at the item list: edit a label, add one, sort, delete it again.
build/bin/formhost run tests/scenarios/items_at_work.scn --db sqlite:zr016.db > /dev/null
# A bundle weighed and split between workers, on a fresh demo database of its
# own (the scenario changes the splits; the demo's splits are dated the day the
# database was made).
splits_dir=$(mktemp -d)
trap 'rm -rf "$splits_dir"' EXIT
build/bin/formhost init-db --db "sqlite:$splits_dir/splits.db" --demo > /dev/null
build/bin/formhost run tests/scenarios/splits_at_work.scn --db "sqlite:$splits_dir/splits.db" > /dev/null
build/bin/formhost open w_01691 --db sqlite:zr016.db
