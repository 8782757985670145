// A function library for the tests: one entry per form, each recording what it received.

#include "ProvaFunzioni.h"

#include <quendra/Funzioni.h>

#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>

namespace {

struct Registrata {
    std::string voce;
    int32_t utente = 0;
    std::optional<int32_t> idFinestra;
    bool haParametri = false;
    bool parametriNulli = false;
    std::string parametri;
};

// A deque, so the texts handed out keep their addresses while calls are added.
std::deque<Registrata>& Registro() {
    static std::deque<Registrata> registro;
    return registro;
}

void Registra(const char* voce, int32_t utente, std::optional<int32_t> idFinestra) {
    Registro().push_back({voce, utente, idFinestra, false, false, {}});
}

void RegistraConParametri(const char* voce, int32_t utente, std::optional<int32_t> idFinestra,
                          const char* parametri) {
    Registro().push_back({voce, utente, idFinestra, true, parametri == nullptr,
                          parametri == nullptr ? std::string() : std::string(parametri)});
}

} // namespace

// Names ending in upper-case X and Y carry the window identifier.
QUENDRA_ESPORTA int32_t QUENDRA_STDCALL Apri1(int32_t utente) {
    Registra("Apri1", utente, std::nullopt);
    return 0;
}

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL Apri2(int32_t utente, const char* parametri) {
    RegistraConParametri("Apri2", utente, std::nullopt, parametri);
    return 0;
}

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL ApriX(int32_t utente, int32_t idFinestra) {
    Registra("ApriX", utente, idFinestra);
    return 0;
}

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL Apri2X(int32_t utente, const char* parametri,
                                               int32_t idFinestra) {
    RegistraConParametri("Apri2X", utente, idFinestra, parametri);
    return 0;
}

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL ApriY(int32_t utente, int32_t idFinestra,
                                              const char* parametri) {
    RegistraConParametri("ApriY", utente, idFinestra, parametri);
    return 0;
}

// Lower-case endings take form 1 (mode 1) or form 2 (mode 2); one entry for each.
QUENDRA_ESPORTA int32_t QUENDRA_STDCALL Apri1x(int32_t utente) {
    Registra("Apri1x", utente, std::nullopt);
    return 0;
}

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL Apri2x(int32_t utente, const char* parametri) {
    RegistraConParametri("Apri2x", utente, std::nullopt, parametri);
    return 0;
}

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL Apri1y(int32_t utente) {
    Registra("Apri1y", utente, std::nullopt);
    return 0;
}

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL Apri2y(int32_t utente, const char* parametri) {
    RegistraConParametri("Apri2y", utente, std::nullopt, parametri);
    return 0;
}

// The entries must match the forms the loaders call them through.
// The agenda's two entries, so a login can open the test library as its agenda.
QUENDRA_ESPORTA int32_t QUENDRA_STDCALL ShowContattAgendaFormX(int32_t utente, int32_t idFinestra) {
    Registra("ShowContattAgendaFormX", utente, idFinestra);
    return 0;
}

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL ShowContattAgendaFormD(int32_t utente) {
    Registra("ShowContattAgendaFormD", utente, std::nullopt);
    return 0;
}

static_assert(std::is_same_v<decltype(&Apri1), QuendraFunzione1>);
static_assert(std::is_same_v<decltype(&Apri2), QuendraFunzione2>);
static_assert(std::is_same_v<decltype(&ApriX), QuendraFunzioneX>);
static_assert(std::is_same_v<decltype(&Apri2X), QuendraFunzione2X>);
static_assert(std::is_same_v<decltype(&ApriY), QuendraFunzione3Y>);
static_assert(std::is_same_v<decltype(&Apri1x), QuendraFunzione1>);
static_assert(std::is_same_v<decltype(&Apri2x), QuendraFunzione2>);

QUENDRA_ESPORTA int32_t ProvaNumeroChiamate() {
    return static_cast<int32_t>(Registro().size());
}

QUENDRA_ESPORTA int32_t ProvaLeggiChiamata(int32_t indice, ProvaChiamata* chiamata) {
    if (indice < 0 || indice >= ProvaNumeroChiamate() || chiamata == nullptr)
        return 0;
    const Registrata& r = Registro()[static_cast<size_t>(indice)];
    chiamata->Voce = r.voce.c_str();
    chiamata->Utente = r.utente;
    chiamata->HaFinestra = r.idFinestra.has_value();
    chiamata->IdFinestra = r.idFinestra.value_or(0);
    chiamata->HaParametri = r.haParametri;
    chiamata->ParametriNulli = r.parametriNulli;
    chiamata->Parametri = r.parametri.c_str();
    return 1;
}

QUENDRA_ESPORTA void ProvaSvuota() {
    Registro().clear();
}

// Libraries that misbehave: a standard exception, and something that is not one.
QUENDRA_ESPORTA int32_t QUENDRA_STDCALL LanciaEccezione(int32_t) {
    throw std::runtime_error("guasto nella libreria");
}

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL LanciaIntero(int32_t) { throw 42; }
