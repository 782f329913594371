#!/usr/bin/env bash
# formhost open on a database that cannot be written: the text view says it is
# open for viewing only. As root (whom permission bits do not stop) the
# program runs as nobody; exits 77 (ctest: skipped) when nobody cannot run it.
#   readonly_view.sh FORMHOST WORKDIR
set -euo pipefail

formhost=$1
dir=$2/readonly-view
chmod -R u+w "$dir" 2>/dev/null || true
rm -rf "$dir"
mkdir -p "$dir"
db=$dir/ro.db
"$formhost" init-db --db "sqlite:$db" --demo >/dev/null
sqlite3 "$db" "pragma journal_mode=delete" >/dev/null
chmod 0444 "$db"
chmod 0555 "$dir"
trap 'chmod 0755 "$dir"; rm -rf "$dir"' EXIT

as=()
if [ "$(id -u)" = 0 ]; then
  as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  if ! "${as[@]}" test -x "$formhost" -a -r "$db"; then
    echo "nobody cannot run $formhost or read $db: skipped"
    exit 77
  fi
fi
"${as[@]}" "$formhost" open w_01691 --db "sqlite:$db"
