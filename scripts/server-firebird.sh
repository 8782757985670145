#!/usr/bin/env bash
# Starts or stops the Firebird server on 127.0.0.1:3050 with SYSDBA password quillpond.
#   server-firebird.sh start   -> prints nothing, returns when the server answers
#   server-firebird.sh stop    -> stops the server this script started
set -euo pipefail

password=quillpond
pidfile=/tmp/quendra-firebird.pid
security=/var/lib/firebird/3.0/system/security3.fdb
aliases=/etc/firebird/3.0/databases.conf

risponde() {
  fbsvcmgr localhost:service_mgr -user SYSDBA -password "$password" -info_server_version >/dev/null 2>&1
}

avvia() {
  if risponde; then
    return 0
  fi
  # A previous install may have picked another password; set ours while the server is down.
  echo "CREATE OR ALTER USER SYSDBA PASSWORD '$password'; COMMIT;" \
    | isql-fb -q -user SYSDBA "$security" >/dev/null 2>&1 || true
  # The alias the tests open through "Nome Server" + "Alias".
  if ! grep -q '^quendra_prova' "$aliases" 2>/dev/null; then
    echo "quendra_prova = /tmp/quendra-prova/user.fdb" >> "$aliases"
  fi
  /usr/sbin/firebird >/tmp/quendra-firebird.log 2>&1 &
  echo $! > "$pidfile"
  for _ in $(seq 1 100); do
    risponde && return 0
    sleep 0.2
  done
  echo "The Firebird server did not answer within 20 s" >&2
  ferma
  return 1
}

ferma() {
  [ -f "$pidfile" ] || return 0
  pid=$(cat "$pidfile")
  rm -f "$pidfile"
  kill -TERM "$pid" 2>/dev/null || return 0
  for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || return 0
    sleep 0.2
  done
  # About one stop in many hangs: do not wait for it.
  kill -KILL "$pid" 2>/dev/null || true
}

case "${1:-}" in
  start) avvia ;;
  stop) ferma ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
