#!/usr/bin/env bash
# Installs everything, builds, prepares the demo installation and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/dipendenze.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
# The demo installation is the executable's own directory.
build/bin/CreaDemo build/bin
exec build/bin/Quendra "$@"
