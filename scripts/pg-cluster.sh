#!/usr/bin/env bash
# A throwaway PostgreSQL cluster on 127.0.0.1 for the tests.
#   pg-cluster.sh start DIR [PORT] prints the connection string on success;
#                                  without PORT the first free one from 54329
#   pg-cluster.sh stop DIR
#   pg-cluster.sh pause DIR        stops the server, keeping its data and port
#   pg-cluster.sh resume DIR       starts a paused server again (a restart)
set -euo pipefail

bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -n "$bin" ] || { echo "pg-cluster: PostgreSQL is not installed" >&2; exit 1; }
cmd=${1:-}
dir=${2:-}
usage="usage: pg-cluster.sh start DIR [PORT] | stop DIR | pause DIR | resume DIR"
[ -n "$cmd" ] && [ -n "$dir" ] || { echo "$usage" >&2; exit 2; }

# The server refuses to run as root: run it as the postgres user when we are root.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

server() {
  as_owner "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-c listen_addresses=127.0.0.1 -p $(cat "$dir/port") -k $dir -c fsync=off" "$1" >/dev/null \
    || { cat "$dir/server.log" >&2; exit 1; }
}

case "$cmd" in
  start)
    port=${3:-}
    if [ -z "$port" ]; then
      for p in $(seq 54329 54429); do
        if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then port=$p; break; fi
      done
      [ -n "$port" ] || { echo "pg-cluster: no free port in 54329-54429" >&2; exit 1; }
    fi
    rm -rf "$dir"
    mkdir -p "$dir"
    [ "$(id -u)" -eq 0 ] && chown postgres: "$dir"
    as_owner "$bin/initdb" -D "$dir/data" -U zrtest --auth=trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 \
      || { cat "$dir/initdb.log" >&2; exit 1; }
    echo "$port" >"$dir/port"
    server start
    as_owner "$bin/createdb" -h 127.0.0.1 -p "$port" -U zrtest -E UTF8 zrtest
    echo "postgresql://zrtest@127.0.0.1:$port/zrtest"
    ;;
  stop)
    [ -d "$dir/data" ] && as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null || true
    rm -rf "$dir"
    ;;
  pause)
    as_owner "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
    ;;
  resume)
    server start
    ;;
  *)
    echo "$usage" >&2
    exit 2
    ;;
esac
