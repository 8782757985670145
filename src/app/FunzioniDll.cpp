#include "app/FunzioniDll.h"

#include "piattaforma/Codifica.h"
#include "piattaforma/Librerie.h"

#include <quendra/Funzioni.h>

#include <QByteArray>

namespace {

// Forms 2 and 2X pass no text at all when there is none.
const char* TestoONullo(const QByteArray& testo) {
    return testo.isEmpty() ? nullptr : testo.constData();
}

template <typename Forma> Forma ComeForma(void* esportazione) {
    return reinterpret_cast<Forma>(esportazione);
}

} // namespace

void* TFunzioniDll::Prepara(const QString& dll, const QString& funzione) {
    if (Semafori.PuoAprire && !Semafori.PuoAprire(dll, funzione))
        return nullptr;
    return piattaforma::CaricaEsportazione(dll, funzione);
}

void* TFunzioniDll::PreparaConFinestra(const QString& dll, const QString& funzione,
                                       qint32 idFinestra) {
    void* esportazione = Prepara(dll, funzione);
    if (esportazione && Semafori.Occupa && !Semafori.Occupa(dll, funzione, idFinestra))
        return nullptr;
    return esportazione;
}

void TFunzioniDll::CaricaFunzioneDLL(const QString& dll, const QString& funzione, qint32 numUser) {
    if (void* esportazione = Prepara(dll, funzione))
        ComeForma<QuendraFunzione1>(esportazione)(numUser);
}

void TFunzioniDll::CaricaFunzioneDLL2(const QString& dll, const QString& funzione,
                                      const QString& parametri, qint32 numUser) {
    if (void* esportazione = Prepara(dll, funzione)) {
        const QByteArray testo = piattaforma::ACp1252(parametri);
        ComeForma<QuendraFunzione2>(esportazione)(numUser, TestoONullo(testo));
    }
}

void TFunzioniDll::CaricaFunzioneDLLX(const QString& dll, const QString& funzione,
                                      qint32 idFinestra, qint32 numUser) {
    if (void* esportazione = PreparaConFinestra(dll, funzione, idFinestra))
        ComeForma<QuendraFunzioneX>(esportazione)(numUser, idFinestra);
}

void TFunzioniDll::CaricaFunzioneDLL2X(const QString& dll, const QString& funzione,
                                       const QString& parametri, qint32 idFinestra,
                                       qint32 numUser) {
    if (void* esportazione = PreparaConFinestra(dll, funzione, idFinestra)) {
        const QByteArray testo = piattaforma::ACp1252(parametri);
        ComeForma<QuendraFunzione2X>(esportazione)(numUser, TestoONullo(testo), idFinestra);
    }
}

void TFunzioniDll::CaricaFunzioneDLL3Y(const QString& dll, const QString& funzione,
                                       const QString& parametri, qint32 idFinestra,
                                       qint32 numUser) {
    if (void* esportazione = PreparaConFinestra(dll, funzione, idFinestra)) {
        // QByteArray's data is always zero-terminated, even when empty: "" rather than null.
        const QByteArray testo = piattaforma::ACp1252(parametri);
        ComeForma<QuendraFunzione3Y>(esportazione)(numUser, idFinestra, testo.constData());
    }
}
