// Stands in for the printing library in tests: each entry writes what it received into the
// data module's in-memory table (the library is unloaded after the call), and a title
// "lancia" makes it throw something that is not a standard exception.

#include "datamodule/TabX.h"

#include <quendra/Funzioni.h>

namespace {

void Registra(const char* voce, void* dataset, void* modulo) {
    TTabXForm* tabx = *static_cast<TTabXForm**>(modulo);
    auto* ds = static_cast<fb::TDataSet*>(dataset);
    const QString titolo = tabx->GetV(QStringLiteral("TitoloStampa"));
    if (titolo == QStringLiteral("lancia"))
        throw 42;
    const QString ricevuto = QLatin1String(voce) + QLatin1Char('|') + ds->ClassName() + QLatin1Char('|') +
                             QString::number(ds->RecordCount()) + QLatin1Char('|') + titolo + QLatin1Char('|') +
                             tabx->GetV(QStringLiteral("NomeReport"));
    tabx->Inserisci(QStringLiteral("PRV"), QStringLiteral("StampaRicevuta"), QString(), ricevuto, QString(),
                    QString(), QString(), QString(), QString());
}

} // namespace

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL ShowVrot11FormD(void* dataset, void* modulo) {
    Registra("ShowVrot11FormD", dataset, modulo);
    return 0;
}

QUENDRA_ESPORTA int32_t QUENDRA_STDCALL ShowVrot11MemFormD(void* dataset, void* modulo) {
    Registra("ShowVrot11MemFormD", dataset, modulo);
    return 0;
}
