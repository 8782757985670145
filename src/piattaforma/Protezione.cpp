#include "piattaforma/Protezione.h"

#include "piattaforma/Errori.h"
#include "piattaforma/Messaggi.h"

#include <QString>

namespace piattaforma {

namespace {

std::function<void(std::exception_ptr)>& Rapporto() {
    static std::function<void(std::exception_ptr)> rapporto;
    return rapporto;
}

void RapportoSemplice(std::exception_ptr eccezione) {
    try {
        std::rethrow_exception(eccezione);
    } catch (const std::exception& e) {
        MostraErrore(QString::fromUtf8(e.what()));
    } catch (...) {
        MostraErrore(QStringLiteral("Si è verificato un errore imprevisto: l'operazione è stata interrotta"));
    }
}

} // namespace

void ImpostaRapportoEccezioni(std::function<void(std::exception_ptr)> rapporto) {
    Rapporto() = std::move(rapporto);
}

static bool Silenziosa(std::exception_ptr eccezione) {
    try {
        std::rethrow_exception(eccezione);
    } catch (const EAbort&) {
        return true;
    } catch (...) {
        return false;
    }
}

void RiportaEccezione(std::exception_ptr eccezione) {
    if (Silenziosa(eccezione))
        return;
    try {
        if (Rapporto())
            Rapporto()(eccezione);
        else
            RapportoSemplice(eccezione);
    } catch (...) {
        // A report that fails cannot be reported; the event ends all the same.
    }
}

bool EseguiProtetto(const std::function<void()>& lavoro) {
    try {
        lavoro();
        return true;
    } catch (...) {
        RiportaEccezione(std::current_exception());
        return false;
    }
}

} // namespace piattaforma
