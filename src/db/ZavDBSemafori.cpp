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

const QString OccupatiDellaFinestra = QStringLiteral("WHERE F.OCCUPATO=1 AND C.DLL=:DLL AND C.FORM=:FORM");

// The window named by the query's :DLL and :FORM.
void ImpostaFinestra(fb::TQuery& query, const QString& dll, const QString& form) {
    query.ParamByName(QStringLiteral("DLL")).AsString(dll);
    query.ParamByName(QStringLiteral("FORM")).AsString(form);
}

} // namespace

bool VerificaSemaforiCritici(const QString& dll, const QString& form, fb::TDatabase& database) {
    // Both counts in one statement, kept prepared, in the connection's read-committed reading
    // transaction: each sees what other workstations have committed up to that moment, as a
    // transaction started afresh for each count would, in one round trip to the server.
    // The second is counted once per link row: a window without links is never refused for itself.
    try {
        fb::TQuery& query = database.Preparata(
            {QStringLiteral("SELECT"),
             QStringLiteral("(") + CritichePerCollegamento,
             QStringLiteral("INNER JOIN SEMAFORIF F ON (L.DLLCOLLEGATA=F.DLL AND L.FORMCOLLEGATA=F.FORM)"),
             OccupatiDellaFinestra + QStringLiteral(") COLLEGATE,"),
             QStringLiteral("(") + CritichePerCollegamento,
             QStringLiteral("INNER JOIN SEMAFORIF F ON (C.DLL=F.DLL AND C.FORM=F.FORM)"),
             OccupatiDellaFinestra + QStringLiteral(" AND C.OSSERVATASPECIALE=1) PROPRIE"),
             QStringLiteral("FROM RDB$DATABASE")},
            &database.TransazioneLettura());
        ImpostaFinestra(query, dll, form);
        query.Open();
        const bool libera = query.FieldByName(QStringLiteral("COLLEGATE")).AsInteger() == 0 &&
                            query.FieldByName(QStringLiteral("PROPRIE")).AsInteger() == 0;
        query.Close();
        return libera;
    } catch (const fb::EErroreDB&) {
        // A missing table or a lost connection never keeps a window from opening.
        return true;
    }
}

void OccupaSemaforo(const QString& dll, const QString& form, qint32 utente, qint32 idFinestra,
                    fb::TDatabase& database) {
    EseguiSuSemafori(database, [&](fb::TQuery&, fb::TTransazione& transazione) {
        fb::TQuery& critica = database.Preparata({QStringLiteral("SELECT COALESCE(COUNT(*),0) TOT FROM SEMAFORIFCRITICHE"),
                                                  QStringLiteral("WHERE DLL=:DLL AND FORM=:FORM")},
                                                 &transazione);
        ImpostaFinestra(critica, dll, form);
        critica.Open();
        const bool daOccupare = critica.FieldByName(QStringLiteral("TOT")).AsInteger() > 0;
        critica.Close();
        if (!daOccupare)
            return;
        // No column list: SEMAFORIF's six columns are in this order. The identifier goes as
        // text and the user as a number, as the statement has always written them.
        fb::TQuery& occupa = database.Preparata({QStringLiteral("INSERT INTO SEMAFORIF VALUES("), QStringLiteral(":ID,"),
                                                 QStringLiteral(":DLL,"), QStringLiteral(":FORM,"),
                                                 QStringLiteral(":UTENTE,"), QStringLiteral("1,"),
                                                 QStringLiteral("'NOW')")},
                                                &transazione);
        occupa.ParamByName(QStringLiteral("ID")).AsString(QString::number(idFinestra));
        ImpostaFinestra(occupa, dll, form);
        occupa.ParamByName(QStringLiteral("UTENTE")).AsInteger(utente);
        occupa.ExecSQL();
        // One commit for the row: nothing else runs in this transaction.
        transazione.Commit();
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
