#!/usr/bin/env bash
# Saves PNG pictures of the access window from the demo installation into build/fotografie.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/dipendenze.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target CreaDemo FotografieAccesso
build/bin/CreaDemo build/bin
QT_QPA_PLATFORM=offscreen build/bin/FotografieAccesso build/fotografie
