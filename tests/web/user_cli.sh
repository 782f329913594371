#!/usr/bin/env bash
# formhost user add/passwd and the serve command's checks, through the command line.
#   user_cli.sh FORMHOST
set -euo pipefail
formhost=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
db="sqlite:$scratch/users.db"
fail() { echo "FAILED: $*"; exit 1; }

# The demo operator is made once, its password printed that once.
out=$("$formhost" init-db --db "$db" --demo)
grep -q "^demo operator: demo  password: [A-Za-z0-9]\{16\} " <<< "$out" || fail "no demo password: $out"
out=$("$formhost" init-db --db "$db" --demo)
grep -q "password: " <<< "$out" && fail "the demo password was printed twice"
grep -q "demo operator demo exists already" <<< "$out" || fail "no word of the demo operator: $out"

echo "first secret" | "$formhost" user add ann --db "$db" | grep -q "operator ann added"
hash=$(sqlite3 "$scratch/users.db" "select pwhash from fh_users where name = 'ann'")
[[ $hash == '$argon2id$'* ]] || fail "not an Argon2id hash: $hash"
[[ $hash != *"first secret"* ]] || fail "the password is stored readable"

# Refusals: one line, non-zero, nothing changed.
if err=$(echo "x" | "$formhost" user add ann --db "$db" 2>&1); then fail "added ann twice"; fi
grep -q "operator ann exists already" <<< "$err" || fail "$err"
if err=$(echo "x" | "$formhost" user passwd bob --db "$db" 2>&1); then fail "changed bob"; fi
grep -q "there is no operator bob" <<< "$err" || fail "$err"
if err=$(echo "x" | "$formhost" user add "a'b" --db "$db" 2>&1); then fail "took a bad name"; fi
grep -q "may hold only letters" <<< "$err" || fail "$err"
if err=$("$formhost" user add carl --db "$db" < /dev/null 2>&1); then fail "added without a password"; fi
grep -q "no password on standard input" <<< "$err" || fail "$err"
[ "$(sqlite3 "$scratch/users.db" "select count(*) from fh_users")" = 2 ] || fail "operators changed"

echo "second secret" | "$formhost" user passwd ann --db "$db" | grep -q "password of ann changed"
[ "$(sqlite3 "$scratch/users.db" "select pwhash from fh_users where name = 'ann'")" != "$hash" ] ||
  fail "the hash did not change"

# serve: a warning for a network address without TLS; a missing database named.
if err=$("$formhost" serve --db "sqlite:$scratch/none.db" --listen 0.0.0.0:0 2>&1); then
  fail "served a missing database"
fi
grep -q "warning: listening on 0.0.0.0 without TLS" <<< "$err" || fail "no TLS warning: $err"
grep -q "none.db does not exist" <<< "$err" || fail "$err"
if err=$("$formhost" serve --db "$db" --listen nowhere 2>&1); then fail "took a bad address"; fi
grep -q "expects ADDRESS:PORT" <<< "$err" || fail "$err"
echo "user_cli: passed"
