// Printing goes through the suite's printing library; only its two entries are fixed.

#include "datamodule/TabX.h"

#include "piattaforma/Librerie.h"
#include "piattaforma/Messaggi.h"

#include <quendra/Funzioni.h>

void TTabXForm::LanciaStampaConDll(const QString& titolo, const QString& nomeReport, fb::TDataSet& dataset) {
    void* libreria = piattaforma::CaricaLibreria(QStringLiteral("Vrot"));
    SetV(QStringLiteral("TitoloStampa"), titolo);
    SetV(QStringLiteral("NomeReport"), nomeReport);
    if (libreria == nullptr)
        return;
    try {
        const QString esportazione = dataset.ClassName() == QStringLiteral("TIBQuery")
                                         ? QStringLiteral("ShowVrot11FormD")
                                         : QStringLiteral("ShowVrot11MemFormD");
        if (auto stampa = reinterpret_cast<QuendraStampa>(piattaforma::CercaFunzione(libreria, esportazione))) {
            TTabXForm* modulo = this;
            stampa(&dataset, &modulo);
        }
        piattaforma::ScaricaLibreria(libreria);
    } catch (...) {
        piattaforma::MostraErrore(QStringLiteral("Errore nell'accesso alla DLL Vrot delle stampe"));
    }
}
