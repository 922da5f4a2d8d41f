#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests: `pg-cluster.sh start DIR` initialises DIR, starts a
# server listening only on a socket in DIR and prints the connection string; `pg-cluster.sh stop
# DIR` stops it and removes DIR. As root the server runs as the user "nobody".
set -euo pipefail
cmd=${1:?start|stop} dir=${2:?folder}
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[[ -x "$bin/initdb" ]] || { echo "pg-cluster: PostgreSQL is not installed (scripts/setup.sh)" >&2; exit 1; }
as=()
if [[ $(id -u) -eq 0 ]]; then as=(runuser -u nobody --); fi

case "$cmd" in
start)
  mkdir -p "$dir"
  if [[ ${#as[@]} -gt 0 ]]; then chown nobody "$dir"; chmod o+x "$(dirname "$dir")"; fi
  "${as[@]}" "$bin/initdb" -D "$dir/data" -U qel -A trust -E UTF8 --locale=C.UTF-8 \
    --locale-provider=icu --icu-locale=de-DE >"$dir/initdb.log" 2>&1 \
    || { cat "$dir/initdb.log" >&2; exit 1; }
  "${as[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 \
    -o "-c listen_addresses='' -c unix_socket_directories='$dir' -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=60" \
    start >/dev/null || { cat "$dir/server.log" >&2; exit 1; }
  "${as[@]}" "$bin/psql" -h "$dir" -U qel -d postgres -qAt -c "CREATE DATABASE qeltest" >/dev/null
  echo "postgresql:///qeltest?host=$dir&user=qel"
  ;;
stop)
  if [[ -f "$dir/data/postmaster.pid" ]]; then
    "${as[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
  ;;
*) echo "pg-cluster: unknown command $cmd" >&2; exit 2 ;;
esac
