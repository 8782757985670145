#include "db/ZavDB.h"

#include "fb/Aggiornamento.h"
#include "fb/Database.h"
#include "fb/Istruzioni.h"
#include "fb/Query.h"
#include "fb/Transazione.h"

#include <QRect>
#include <QWidget>

namespace {

const QString TabellaPosizioni = QStringLiteral("STOPOS1");

// The lines that pick one window's row; the codes are written as bare numbers.
QStringList CondizioniPosizione(qint32 utente, qint32 situazione, qint32 progetto) {
    return {QStringLiteral("WHERE (CodiceSituazione=") + QString::number(situazione) + QLatin1Char(')'),
            QStringLiteral("AND (CodiceUtente=") + QString::number(utente) + QLatin1Char(')'),
            QStringLiteral("AND (CodiceProgetto=") + QString::number(progetto) + QLatin1Char(')')};
}

void ApriPosizione(fb::TQuery& query, qint32 utente, qint32 situazione, qint32 progetto) {
    query.SQL.Clear();
    query.SQL.Add(QStringLiteral("SELECT * FROM \"") + TabellaPosizioni + QLatin1Char('"'));
    fb::AggiungiRighe(query.SQL, CondizioniPosizione(utente, situazione, progetto));
    query.Open();
    query.First();
}

// Left and top of the outer frame; width and height as resize takes them, so that what is
// stored comes back unchanged.
QRect GeometriaFinestra(const QWidget* finestra) {
    return QRect(finestra->frameGeometry().topLeft(), finestra->size());
}

QRect GeometriaMemorizzata(const fb::TQuery& query) {
    return QRect(query.FieldByName(QStringLiteral("PosX")).AsInteger(),
                 query.FieldByName(QStringLiteral("PosY")).AsInteger(),
                 query.FieldByName(QStringLiteral("DimX")).AsInteger(),
                 query.FieldByName(QStringLiteral("DimY")).AsInteger());
}

void ScriviGeometria(fb::TAggiornamento& aggiornamento, const QRect& geometria) {
    aggiornamento.FieldByName(QStringLiteral("PosX")).AsInteger(geometria.x());
    aggiornamento.FieldByName(QStringLiteral("PosY")).AsInteger(geometria.y());
    aggiornamento.FieldByName(QStringLiteral("DimX")).AsInteger(geometria.width());
    aggiornamento.FieldByName(QStringLiteral("DimY")).AsInteger(geometria.height());
}

// The query stands on the window's row, if any.
void ScriviPosizione(fb::TQuery& query, const QRect& geometria, qint32 utente, qint32 situazione,
                     qint32 progetto) {
    fb::TAggiornamento aggiornamento;
    query.SetUpdateObject(&aggiornamento);
    CreaSQLAggiornamento(query, TabellaPosizioni, QStringLiteral("UPDATE"), aggiornamento);
    CreaSQLAggiornamento(query, TabellaPosizioni, QStringLiteral("INSERT"), aggiornamento);
    fb::AggiungiRighe(aggiornamento.ModifySQL, CondizioniPosizione(utente, situazione, progetto));
    if (!query.Eof()) {
        aggiornamento.Edit();
    } else {
        aggiornamento.Append();
        aggiornamento.FieldByName(QStringLiteral("CodiceProgetto")).AsInteger(progetto);
        aggiornamento.FieldByName(QStringLiteral("CodiceSituazione")).AsInteger(situazione);
        aggiornamento.FieldByName(QStringLiteral("CodiceUtente")).AsInteger(utente);
    }
    ScriviGeometria(aggiornamento, geometria);
    aggiornamento.Post();
}

} // namespace

void CaricaPosizioneFinestra(QWidget* finestra, qint32 utente, qint32 situazione, qint32 progetto,
                             fb::TDatabase& database) {
    fb::TTransazione transazione(&database);
    fb::TQuery query(&database, &transazione);
    ApriPosizione(query, utente, situazione, progetto);
    if (!query.Eof()) {
        const QRect memorizzata = GeometriaMemorizzata(query);
        finestra->move(memorizzata.topLeft());
        finestra->resize(memorizzata.size());
    }
    query.Close();
    if (transazione.InTransaction())
        transazione.Rollback();
}

void SalvaPosizioneFinestra(QWidget* finestra, qint32 utente, qint32 situazione, qint32 progetto,
                            fb::TDatabase& database) {
    fb::TTransazione transazione(&database);
    fb::TQuery query(&database, &transazione);
    ApriPosizione(query, utente, situazione, progetto);
    const QRect geometria = GeometriaFinestra(finestra);
    if (query.Eof() || GeometriaMemorizzata(query) != geometria)
        ScriviPosizione(query, geometria, utente, situazione, progetto);
    query.Close();
    if (transazione.InTransaction())
        transazione.Commit();
}

void CreaSQLAggiornamento(fb::TQuery& query, const QString& tabella, const QString& tipo,
                          fb::TAggiornamento& aggiornamento) {
    // On the connection's default transaction: null leaves it to the query.
    fb::TQuery colonne(query.Database);
    fb::AggiungiRighe(colonne.SQL, query.SQL.Righe());
    colonne.Open();
    const QStringList campi = colonne.NomiCampi();
    if (tipo.compare(QStringLiteral("UPDATE"), Qt::CaseInsensitive) == 0)
        fb::ScriviModifica(aggiornamento.ModifySQL, QLatin1Char('"') + tabella + QLatin1Char('"'), campi, campi);
    else if (tipo.compare(QStringLiteral("INSERT"), Qt::CaseInsensitive) == 0)
        fb::ScriviInserimento(aggiornamento.InsertSQL, QLatin1Char('"') + tabella + QLatin1Char('"'), campi, campi);
    colonne.Close();
}
