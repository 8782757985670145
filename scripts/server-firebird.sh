#!/usr/bin/env bash
# Starts or stops the Firebird server on 127.0.0.1:3050 with SYSDBA password quillpond.
#   server-firebird.sh start   -> prints nothing, returns when the server answers
#   server-firebird.sh stop    -> stops the server this script started, and no other
# A server that already answers at start is left alone, and so by stop. The server started
# here is recorded by its PID and the start time of that process (QUENDRA_FIREBIRD_PIDFILE
# names the record; by default under /run, or the user's runtime directory when /run is
# not writable); stop signals that process only, and only while it is still the
# server: a PID reused by another program after the server ended is never signalled.
set -euo pipefail

password=quillpond
firebird=/usr/sbin/firebird
security=/var/lib/firebird/3.0/system/security3.fdb
aliases=/etc/firebird/3.0/databases.conf
if [ -n "${QUENDRA_FIREBIRD_PIDFILE:-}" ]; then
  pidfile=$QUENDRA_FIREBIRD_PIDFILE
elif [ -w /run ]; then
  pidfile=/run/quendra-firebird.pid
else
  pidfile=${XDG_RUNTIME_DIR:-/tmp}/quendra-firebird-$(id -u).pid
fi

risponde() {
  fbsvcmgr localhost:service_mgr -user SYSDBA -password "$password" -info_server_version >/dev/null 2>&1
}

# The start time of a process in clock ticks since boot (field 22 of /proc/PID/stat; the
# fields are counted after the command name, which may hold blanks).
inizio() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  # shellcheck disable=SC2086
  set -- $stat
  echo "${20}"
}

# Written beside the record and renamed over it: a link left at that name is replaced,
# not followed.
registra() {
  local provvisorio
  provvisorio=$(mktemp "$pidfile.XXXXXX")
  echo "$1 $2" > "$provvisorio"
  mv -f "$provvisorio" "$pidfile"
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
  "$firebird" >/tmp/quendra-firebird.log 2>&1 &
  local pid=$!
  registra "$pid" "$(inizio "$pid")"
  for _ in $(seq 1 100); do
    risponde && return 0
    sleep 0.2
  done
  echo "The Firebird server did not answer within 20 s" >&2
  ferma
  return 1
}

# True while the recorded process is the one started here and still runs the server.
nostro() {
  local pid=$1 avviato=$2
  [ "$(inizio "$pid" 2>/dev/null)" = "$avviato" ] || return 1
  [ "$(readlink -f "/proc/$pid/exe" 2>/dev/null)" = "$(readlink -f "$firebird")" ]
}

ferma() {
  # Only a record of this user's own, a regular file and no link, is trusted.
  [ -f "$pidfile" ] && [ ! -L "$pidfile" ] && [ -O "$pidfile" ] || return 0
  local pid avviato
  read -r pid avviato < "$pidfile" || true
  rm -f "$pidfile"
  case "$pid" in '' | *[!0-9]*) return 0 ;; esac
  if ! nostro "$pid" "$avviato"; then
    echo "The server started here has ended already: process $pid is left alone" >&2
    return 0
  fi
  kill -TERM "$pid" 2>/dev/null || return 0
  for _ in $(seq 1 50); do
    nostro "$pid" "$avviato" || return 0
    sleep 0.2
  done
  # About one stop in many hangs: do not wait for it.
  if nostro "$pid" "$avviato"; then
    kill -KILL "$pid" 2>/dev/null || true
  fi
}

case "${1:-}" in
  start) avvia ;;
  stop) ferma ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
