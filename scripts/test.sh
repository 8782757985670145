#!/usr/bin/env bash
# Installs everything, builds, and runs every test headless, the server tests included:
# once in the release build and once under AddressSanitizer and UndefinedBehaviorSanitizer;
# then the pure parsers are fuzzed for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/dipendenze.sh --server
cmake --preset ci >/dev/null
cmake --build --preset ci -j"$(nproc)"
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$(nproc)"

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
trap '$sudo scripts/server-firebird.sh stop' EXIT
$sudo scripts/server-firebird.sh start

export QT_QPA_PLATFORM=offscreen
export QUENDRA_SERVER=localhost
export QUENDRA_ALIAS_PROVA=quendra_prova
export QUENDRA_ALIAS_FILE=/tmp/quendra-prova/user.fdb
# The tests open embedded files that this machine's server holds: with the server's lock
# directory the engine sends them through it. (The program's own default is the lock
# directory of its installation; scripts/utente-comune.sh runs it that way.)
export FIREBIRD_LOCK=/tmp/firebird
# Every run goes on whatever the one before found; the command fails if any did.
esito=0
scripts/fuzz.sh || esito=1
ctest --preset ci -j"$(nproc)" || esito=1
ctest --preset asan -j"$(nproc)" || esito=1
# Root hides permission faults: the program once more as an ordinary user.
$sudo scripts/utente-comune.sh build-ci || esito=1
exit $esito
