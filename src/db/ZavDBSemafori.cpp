#include "db/ZavDB.h"
#include "db/Lotto.h"

#include "fb/Database.h"
#include "fb/Errore.h"
#include "fb/Query.h"
#include "fb/Transazione.h"
#include "fb/Valori.h"
#include "piattaforma/Messaggi.h"

#include <QStringList>

namespace {

const QString CritichePerCollegamento = QStringLiteral(
    "SELECT COALESCE(COUNT(*),0) TOT FROM SEMAFORIFCRITICHE C INNER JOIN SEMAFORIFCRITICHECOLL L "
    "ON (C.DLL=L.DLLPRIN AND C.FORM=L.FORMPRIN)");

const QString TestoSemaforoOccupato =
    QStringList{
        QStringLiteral("Errore: ci sono altre finestre critiche aperte da questo utente o da "
                       "altri utenti che bloccano l'apertura di questa finestra."),
        QStringLiteral("Chiudere prima le altre finestre e riprovare."),
        QStringLiteral("Vedere Gestione semafori per maggiori dettagli.")}
        .join(QStringLiteral("\r\n"));

// A semaphore procedure's work, in a transaction and a query of its own. A database failure
// ends the work and is swallowed: semaphores must never stop a launch by themselves. What is
// still active afterwards is committed.
template <typename Lavoro> void EseguiSuSemafori(fb::TDatabase& database, Lavoro lavoro) {
    fb::TTransazione transazione(&database);
    fb::TQuery query(&database, &transazione);
    try {
        lavoro(query, transazione);
    } catch (const fb::EErroreDB&) {
    }
    try {
        if (transazione.InTransaction())
            transazione.Commit();
    } catch (const fb::EErroreDB&) {
        // The transaction's destructor rolls back what could not be committed.
    }
}

// The taken semaphores counted by a join with SEMAFORIF and a condition on (dll, form).
// Restarted before each count so that what other workstations committed is seen.
int ContaOccupati(fb::TQuery& query, fb::TTransazione& transazione, const QString& unione,
                  const QString& condizione) {
    RiavviaTransazione(transazione);
    query.ImpostaSQL({CritichePerCollegamento, unione, condizione});
    query.Open();
    const int totale = query.FieldByName(QStringLiteral("TOT")).AsInteger();
    query.Close();
    return totale;
}

QString CondizioneOccupati(const QString& dll, const QString& form) {
    return QStringLiteral("WHERE F.OCCUPATO=1 AND C.DLL=") + fb::Quota(dll) +
           QStringLiteral(" AND C.FORM=") + fb::Quota(form);
}

bool FinestraCritica(fb::TQuery& query, const QString& dll, const QString& form) {
    query.ImpostaSQL({QStringLiteral("SELECT COALESCE(COUNT(*),0) TOT FROM SEMAFORIFCRITICHE"),
                       QStringLiteral("WHERE DLL=") + fb::Quota(dll) +
                           QStringLiteral(" AND FORM=") + fb::Quota(form)});
    query.Open();
    return query.FieldByName(QStringLiteral("TOT")).AsInteger() > 0;
}

} // namespace

bool VerificaSemaforiCritici(const QString& dll, const QString& form, fb::TDatabase& database) {
    bool libera = true;
    EseguiSuSemafori(database, [&](fb::TQuery& query, fb::TTransazione& transazione) {
        const QString condizione = CondizioneOccupati(dll, form);
        const int collegate = ContaOccupati(
            query, transazione,
            QStringLiteral(
                "INNER JOIN SEMAFORIF F ON (L.DLLCOLLEGATA=F.DLL AND L.FORMCOLLEGATA=F.FORM)"),
            condizione + QLatin1Char(' '));
        // Counted once per link row: a window without links is never refused for itself.
        const int proprie = ContaOccupati(
            query, transazione,
            QStringLiteral("INNER JOIN SEMAFORIF F ON (C.DLL=F.DLL AND C.FORM=F.FORM)"),
            condizione + QStringLiteral(" AND C.OSSERVATASPECIALE=1"));
        libera = collegate == 0 && proprie == 0;
    });
    return libera;
}

void OccupaSemaforo(const QString& dll, const QString& form, qint32 utente, qint32 idFinestra,
                    fb::TDatabase& database) {
    EseguiSuSemafori(database, [&](fb::TQuery& query, fb::TTransazione& transazione) {
        if (!FinestraCritica(query, dll, form))
            return;
        // No column list: SEMAFORIF's six columns are in this order.
        query.ImpostaSQL({QStringLiteral("INSERT INTO SEMAFORIF VALUES("),
                    fb::Quota(idFinestra) + QLatin1Char(','), fb::Quota(dll) + QLatin1Char(','),
                    fb::Quota(form) + QLatin1Char(','), QString::number(utente) + QLatin1Char(','),
                    QStringLiteral("1,"), QStringLiteral("'NOW')")});
        query.ExecSQL();
        transazione.CommitRetaining();
    });
}

void RegistraAnomaliaSemaforo(qint32 utente, const QString& dll, const QString& form,
                              fb::TDatabase& database) {
    EseguiSuSemafori(database, [&](fb::TQuery& query, fb::TTransazione&) {
        query.ImpostaSQL({QStringLiteral(
                 "INSERT INTO SEMAFORIFANOMALIE(ID,DATAORAANOMALIA,UTENTE,DLL,FORM,DESCRIZIONE) "
                 "VALUES("),
             QStringLiteral(" GEN_ID(IDSEMAFORIFANOMALIECOUNTER,1), 'NOW', ") +
                 QString::number(utente) + QLatin1Char(',') + fb::Quota(dll) + QLatin1Char(',') +
                 fb::Quota(form) + QStringLiteral(",'Semaforo occupato')")});
        query.ExecSQL();
    });
}

void SegnalaSemaforoOccupato(qint32 utente, const QString& dll, const QString& form,
                             fb::TDatabase& database) {
    RegistraAnomaliaSemaforo(utente, dll, form, database);
    piattaforma::MostraErrore(TestoSemaforoOccupato);
}
