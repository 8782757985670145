#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang and runs each for a bounded time on a copy
# of its seed corpus. Exits non-zero when a target finds a crash or a failed check; the
# input that did it is kept under build-fuzz/artefatti/.
#   QUENDRA_FUZZ_SECONDI  seconds per target (default 25)
#   QUENDRA_FUZZ_BERSAGLI targets to run (default: all of them)
set -euo pipefail
cd "$(dirname "$0")/.."

secondi="${QUENDRA_FUZZ_SECONDI:-25}"
bersagli=(${QUENDRA_FUZZ_BERSAGLI:-ini codifica percorsi voce_menu norvane})

# libclang-rt-14-dev holds libFuzzer and the sanitizer runtimes that clang-14 links.
pacchetti=(clang-14 libclang-rt-14-dev cmake make qt6-base-dev)
mancanti=()
for p in "${pacchetti[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || mancanti+=("$p")
done
if [ ${#mancanti[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq || true
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${mancanti[@]}"
fi

CC=clang-14 CXX=clang++-14 cmake -S fuzz -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)"

# The corpus copies and the targets' own files (TMPDIR) go in one folder, removed at the end
# even when a target was stopped by a crash; in memory when the machine has it, since the ini
# target writes a file per input.
lavoro="$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)"
trap 'rm -rf "$lavoro"' EXIT
mkdir "$lavoro/tmp"
export TMPDIR="$lavoro/tmp"
artefatti="build-fuzz/artefatti"
mkdir -p "$artefatti"

riusciti=0
falliti=0
guasti=""
for b in "${bersagli[@]}"; do
  # A copy, so that what the run adds does not grow the corpus kept in the tree.
  cp -r "fuzz/corpus/$b" "$lavoro/$b"
  opzioni=(-max_total_time="$secondi" -rss_limit_mb=1536 -malloc_limit_mb=1024 -timeout=10
           -print_final_stats=1 -artifact_prefix="$artefatti/$b-")
  [ -f "fuzz/$b.dict" ] && opzioni+=(-dict="fuzz/$b.dict")
  registro="build-fuzz/fuzz_$b.log"
  inizio=$SECONDS
  if "build-fuzz/fuzz_$b" "${opzioni[@]}" "$lavoro/$b" >"$registro" 2>&1; then
    esiti="$(grep -E '^stat::number_of_executed_units' "$registro" | awk '{print $2}')"
    echo "fuzz_$b: ok, ${esiti:-?} inputs in $((SECONDS - inizio)) s"
    riusciti=$((riusciti + 1))
  else
    echo "fuzz_$b: FAILED after $((SECONDS - inizio)) s; the log follows (whole in $registro)"
    grep -v '^#[0-9]' "$registro" | tail -n 60
    echo "fuzz_$b: rerun the kept input with: build-fuzz/fuzz_$b $artefatti/$b-<file>"
    falliti=$((falliti + 1))
    guasti+=" $b"
  fi
done

# Worded apart from a test runner's closing line: the test command's own summary stays the
# one that counts.
if [ "$falliti" -eq 0 ]; then
  echo "fuzz: all $riusciti targets ran clean"
else
  echo "fuzz: $falliti of $((riusciti + falliti)) targets found a fault:${guasti}"
  exit 1
fi
