#include "fb/Chiusura.h"

#include <ibase.h>

namespace fb {

namespace {

int Rifiuta(const int motivo, const int, void*) { return motivo == fb_shutrsn_signal ? 1 : 0; }

} // namespace

void RifiutaChiusuraDelClientSuSegnale() {
    ISC_STATUS_ARRAY stato = {};
    fb_shutdown_callback(stato, Rifiuta, fb_shut_confirmation, nullptr);
}

} // namespace fb
