#!/usr/bin/env bash
# Runs the program as an ordinary user: an account this script creates, not root and in no
# group of the database server. On an installation of its own (the built program copied,
# the demo laid out by that user) it starts the program, logs in as ROSSI, opens
# "Anagrafica clienti", saves an edit and closes; then the archive must hold the edit.
# Embedded databases only: the engine's lock directory is the installation's.
#   scripts/utente-comune.sh <build directory>       (as root)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build}
utente=quendra-comune
if ! id "$utente" >/dev/null 2>&1; then
  useradd --create-home --shell /bin/sh "$utente"
fi
if id -nG "$utente" | tr ' ' '\n' | grep -qx firebird; then
  echo "$utente must not be in the firebird group" >&2
  exit 1
fi

installazione=$(mktemp -d /tmp/quendra-comune-XXXXXX)
trap 'rm -rf "$installazione"' EXIT
cp "$build"/bin/{Quendra,CreaDemo,ProgrammaDiProva} "$build"/bin/*.so "$installazione"/
chown -R "$utente:" "$installazione"

come_utente() {
  # Nothing of root's: no inherited engine settings, lock directory or display.
  su "$utente" -s /bin/sh -c "cd '$installazione' && env -u FIREBIRD -u FIREBIRD_LOCK QT_QPA_PLATFORM=offscreen $*"
}

testo="Salvato da $utente $$"
come_utente "./CreaDemo '$installazione' >/dev/null"
come_utente "timeout 60 ./ProgrammaDiProva '$installazione' ROSSI 1 16 salva '$testo'" > "$installazione/uscita" 2> "$installazione/errori" || {
  echo "the program failed as $utente:" >&2
  cat "$installazione/uscita" "$installazione/errori" >&2
  exit 1
}
if grep -q "box:" "$installazione/errori"; then
  echo "the program showed boxes as $utente:" >&2
  cat "$installazione/errori" >&2
  exit 1
fi
grep -q '^entrato [0-9]' "$installazione/uscita"

# Read back by another process, through the same lock directory, once the program ended.
valore=$(echo "SELECT RAGIONESOCIALE FROM CLIFOR ORDER BY CODICE ROWS 1;" |
  FIREBIRD_LOCK="$installazione/firebird-lock" isql-fb -q -user SYSDBA -password quillpond \
    "$installazione/archivi/demo/archivio.fdb")
if ! grep -qF "$testo" <<<"$valore"; then
  echo "the saved edit is not in the archive: $valore" >&2
  exit 1
fi
stat -c '%U %a %n' "$installazione/firebird-lock" "$installazione/user/user.fdb"
echo "ordinary user $utente: start, login, launch and saved edit ok"
