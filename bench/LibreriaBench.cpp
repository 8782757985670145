// A function library for the benchmarks: its form X entry notes when it was called, so the
// benchmark can tell how long a launch took to reach it.

#include <quendra/Funzioni.h>

#include <atomic>
#include <chrono>

namespace {

std::atomic<int64_t> ultimaChiamata{0};
std::atomic<int32_t> chiamate{0};

} // namespace

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL ApriX(int32_t, int32_t) {
    ultimaChiamata = std::chrono::duration_cast<std::chrono::nanoseconds>(
                         std::chrono::steady_clock::now().time_since_epoch())
                         .count();
    ++chiamate;
    return 0;
}

// Nanoseconds of std::chrono::steady_clock at the last call; 0 before any.
QUENDRA_ESPORTA int64_t LibreriaBenchUltimaChiamata() {
    return ultimaChiamata;
}

QUENDRA_ESPORTA int32_t LibreriaBenchChiamate() {
    return chiamate;
}
