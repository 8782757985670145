#!/usr/bin/env bash
# Installs everything, builds, and runs every test headless, the server tests included.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/dipendenze.sh --server
cmake -S . -B build-ci -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENDRA_WERROR=ON >/dev/null
cmake --build build-ci -j"$(nproc)"

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
trap '$sudo scripts/server-firebird.sh stop' EXIT
$sudo scripts/server-firebird.sh start

export QT_QPA_PLATFORM=offscreen
export QUENDRA_SERVER=localhost
export QUENDRA_ALIAS_PROVA=quendra_prova
export QUENDRA_ALIAS_FILE=/tmp/quendra-prova/user.fdb
ctest --test-dir build-ci --output-on-failure -j"$(nproc)"
