// New integer keys for the libraries' windows, and the generators they come from.

#include "datamodule/TabX.h"

#include "datamodule/PulsanteStato.h"
#include "fb/Errore.h"
#include "fb/Istruzioni.h"
#include "fb/Valori.h"

namespace {

// The keys are 32-bit integers: a generator beyond that range is an error, not a wrapped key.
qint32 Valore32(const fb::TQuery& query, const QString& origine) {
    const qint64 valore = query.Fields(0).AsInt64();
    if (valore < INT32_MIN || valore > INT32_MAX)
        throw fb::EErroreDB(QStringLiteral("Il valore ") + QString::number(valore) + QStringLiteral(" di ") + origine +
                            QStringLiteral(" non è una chiave valida: supera il massimo di un intero a 32 bit (") +
                            QString::number(INT32_MAX) + QStringLiteral(")"));
    return static_cast<qint32>(valore);
}

void ApriGenId(fb::TQuery& query, const QString& generatore) {
    query.SQL.Clear();
    query.SQL.Add(QStringLiteral("SELECT GEN_ID(") + generatore + QStringLiteral(",1) FROM RDB$DATABASE;"));
    query.Open();
}

qint32 NuovoValore(fb::TQuery& query, const QString& generatore) {
    ApriGenId(query, generatore);
    return Valore32(query, QStringLiteral("generatore ") + generatore);
}

QString NomeChiave(const fb::TDataSet& dataset) {
    if (dataset.FieldDefs().empty())
        throw fb::EErroreDB(QStringLiteral("Dataset has no fields"));
    return dataset.FieldDefs().front().Nome;
}

void AggiungiConChiave(fb::TDataSet& dataset, qint32 chiave) {
    dataset.Append();
    dataset.Fields(0).SetAsInteger(chiave);
}

} // namespace

void TTabXForm::NuovoIntSuLast(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                               TPulsanteStato& pulsante) {
    ChiudiTransEAggiorna(dataset, segnalibro, riposiziona, pulsante);
    dataset.Last();
    const qint32 ultima = dataset.IsEmpty() ? 0 : dataset.Fields(0).AsInteger();
    if (ultima == INT32_MAX)
        throw fb::EErroreDB(QStringLiteral("L'ultima chiave è il massimo di un intero a 32 bit: non c'è una chiave successiva"));
    AggiungiConChiave(dataset, ultima + 1);
    ChiudiTransEAggiorna(dataset, segnalibro, riposiziona, pulsante);
}

void TTabXForm::NuovoIntSuMax(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                              TPulsanteStato& pulsante, const QString& tabella) {
    ChiudiTransEAggiorna(dataset, segnalibro, riposiziona, pulsante);
    fb::TQuery query(dataset.Database, dataset.TransazioneEffettiva());
    query.SQL.Add(QStringLiteral("SELECT MAX(") + fb::NomeColonna(NomeChiave(dataset)) + QStringLiteral(") FROM ") +
                  tabella);
    query.Open();
    const qint32 massimo = query.Fields(0).IsNull() ? 0 : Valore32(query, QStringLiteral("MAX della chiave"));
    if (massimo == INT32_MAX)
        throw fb::EErroreDB(QStringLiteral("La chiave più alta è il massimo di un intero a 32 bit: non c'è una chiave successiva"));
    query.Close();
    AggiungiConChiave(dataset, massimo + 1);
    ChiudiTransEAggiorna(dataset, segnalibro, riposiziona, pulsante);
}

void TTabXForm::NuovoIntSuGeneratore(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                                     TPulsanteStato& pulsante, const QString& /*tabella*/,
                                     const QString& generatore) {
    // A new row still blank is the one asked for: a second click (a double click) adds none.
    if (pulsante.Tag == 1 && dataset.Active() && dataset.RigaNuovaVuota())
        return;
    ChiudiTransEAggiorna(dataset, segnalibro, riposiziona, pulsante);
    fb::TQuery query(dataset.Database, dataset.TransazioneEffettiva());
    const qint32 chiave = NuovoValore(query, generatore);
    query.Close();
    AggiungiConChiave(dataset, chiave);
    PostaOScarta(dataset); // a generator behind the table's keys leaves no row pending
    MostraRosso(pulsante);
}

void TTabXForm::NuovoIntSuGenSQL(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                                 TPulsanteStato& pulsante, const QString& tabella, const QString& generatore) {
    riposiziona = false;
    ChiudiTransEAggiorna(dataset, segnalibro, riposiziona, pulsante);
    fb::TQuery query(dataset.Database, dataset.TransazioneEffettiva());
    const qint32 chiave = NuovoValore(query, generatore);
    query.SQL.Clear();
    query.SQL.Add(QStringLiteral("INSERT ") + tabella + QStringLiteral("(") + fb::NomeColonna(NomeChiave(dataset)) +
                  QStringLiteral(")"));
    query.SQL.Add(QStringLiteral("VALUES (") + QString::number(chiave) + QStringLiteral(")"));
    query.ExecSQL();
    riposiziona = false;
    ChiudiTransEAggiorna(dataset, segnalibro, riposiziona, pulsante);
    dataset.First();
}

bool TTabXForm::CreaGeneratore(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                               TPulsanteStato& pulsante, const QString& generatore) {
    try {
        fb::TQuery query(dataset.Database, dataset.TransazioneEffettiva());
        query.SQL.Add(QStringLiteral("CREATE GENERATOR ") + generatore);
        query.ExecSQL();
        ChiudiTransEAggiorna(dataset, segnalibro, riposiziona, pulsante);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool TTabXForm::SetGeneratore(fb::TDataSet& dataset, fb::TBookmark& segnalibro, bool& riposiziona,
                              TPulsanteStato& pulsante, const QString& generatore, qint32 valore) {
    bool impostato = false;
    try {
        fb::TQuery query(dataset.Database, dataset.TransazioneEffettiva());
        query.SQL.Add(QStringLiteral("SET GENERATOR ") + generatore + QStringLiteral(" TO ") + QString::number(valore) +
                      QLatin1Char(';'));
        query.ExecSQL();
        impostato = true;
    } catch (const fb::EErroreDB&) {
    }
    ChiudiTransEAggiorna(dataset, segnalibro, riposiziona, pulsante);
    return impostato;
}

bool TTabXForm::CheckGeneratore(fb::TDataSet& dataset, const QString& generatore) {
    fb::TQuery query(dataset.Database, dataset.TransazioneEffettiva());
    query.SQL.Add(QStringLiteral("SELECT RDB$GENERATOR_NAME"));
    query.SQL.Add(QStringLiteral("FROM RDB$GENERATORS"));
    query.SQL.Add(QStringLiteral("WHERE RDB$GENERATOR_NAME=") + fb::Quota(generatore) + QLatin1Char(';'));
    query.Open();
    return !query.Eof();
}

QString TTabXForm::ValoreGeneratore(const QString& generatore) {
    // A transaction of its own: the value is drawn outside transactions anyway, and no
    // window's work shares the call.
    fb::TTransazione transazione(&IBDatabase1);
    fb::TQuery query(&IBDatabase1, &transazione);
    const QString valore = QString::number(NuovoValore(query, generatore));
    query.Close();
    transazione.Commit();
    return valore;
}
