#!/usr/bin/env bash
# Sets up the machine, builds the program, creates the demo database
# (zr016.db, SQLite) and shows what the program can run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j2 --target formhost_cli zrframe zr016 zrtest zrtestframe
# init-db prints the demo operator's password once, when it makes the account.
init_log=$(build/bin/formhost init-db --db sqlite:zr016.db --demo)
echo "$init_log"
# A scenario that shows a session at work (windows, a question, a response
# window), then the item list of the library on the demo database.
build/bin/formhost run tests/scenarios/session_at_work.scn --db sqlite:zr016.db \
  --module build/lib/libzrtestframe.so --module build/lib/libzrtest.so
# An operator at the item list: edit a label, add one, sort, delete it again.
build/bin/formhost run tests/scenarios/items_at_work.scn --db sqlite:zr016.db > /dev/null
# A bundle weighed and split between workers; yarn issues getting their
# details, a progress entry looked up by its code, an amount in words. Each on
# a fresh demo database of its own (they change what they show).
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for scenario in splits prices; do
  build/bin/formhost init-db --db "sqlite:$scratch/$scenario.db" --demo > /dev/null
  build/bin/formhost run "tests/scenarios/${scenario}_at_work.scn" \
    --db "sqlite:$scratch/$scenario.db" > /dev/null
done
build/bin/formhost open w_01691 --db sqlite:zr016.db
# Last, the browser front end on the demo database, until Ctrl+C.
password=$(sed -n 's/^demo operator: demo  password: \([^ ]*\).*/\1/p' <<< "$init_log")
if [ -n "$password" ]; then
  echo "Sign in as: demo   password: $password"
else
  echo "Sign in as: demo (password shown when zr016.db was made; build/bin/formhost user passwd demo sets a new one)"
fi
build/bin/formhost serve --db sqlite:zr016.db
