#include "db/ZavDB.h"
#include "db/Lotto.h"

#include "fb/Database.h"
#include "fb/Errore.h"
#include "fb/Query.h"
#include "fb/Transazione.h"
#include "fb/Valori.h"
#include "piattaforma/Messaggi.h"

#include <QStringList>

#include <chrono>
#include <thread>

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

// Both counts in one statement, in the given transaction: the taken semaphores of the windows
// linked to (DLL, FORM), and those of the window itself when it is specially observed (once
// per link row: a window without links is never refused for itself).
bool FinestraLibera(fb::TDatabase& database, fb::TTransazione& transazione, const QString& dll,
                    const QString& form) {
    fb::TQuery& query = database.Preparata(
        {QStringLiteral("SELECT"),
         QStringLiteral("(") + CritichePerCollegamento,
         QStringLiteral("INNER JOIN SEMAFORIF F ON (L.DLLCOLLEGATA=F.DLL AND L.FORMCOLLEGATA=F.FORM)"),
         OccupatiDellaFinestra + QStringLiteral(") COLLEGATE,"),
         QStringLiteral("(") + CritichePerCollegamento,
         QStringLiteral("INNER JOIN SEMAFORIF F ON (C.DLL=F.DLL AND C.FORM=F.FORM)"),
         OccupatiDellaFinestra + QStringLiteral(" AND C.OSSERVATASPECIALE=1) PROPRIE"),
         QStringLiteral("FROM RDB$DATABASE")},
        &transazione);
    ImpostaFinestra(query, dll, form);
    query.Open();
    const bool libera = query.FieldByName(QStringLiteral("COLLEGATE")).AsInteger() == 0 &&
                        query.FieldByName(QStringLiteral("PROPRIE")).AsInteger() == 0;
    query.Close();
    return libera;
}

// Locks the rows of SEMAFORIFCRITICHE of the window and of the windows linked to it, in one
// order for everybody; true when the window itself is critical (its own row is among them).
// Every take of a window locks that window's row, so two takes that could conflict meet on a row.
bool BloccaCritiche(fb::TDatabase& database, fb::TTransazione& transazione, const QString& dll,
                    const QString& form) {
    fb::TQuery& query = database.Preparata(
        {QStringLiteral("SELECT CASE WHEN C.DLL=:DLL AND C.FORM=:FORM THEN 1 ELSE 0 END PROPRIA FROM SEMAFORIFCRITICHE C"),
         QStringLiteral("WHERE (C.DLL=:DLL AND C.FORM=:FORM) OR EXISTS (SELECT 1 FROM SEMAFORIFCRITICHECOLL L"),
         QStringLiteral("WHERE L.DLLPRIN=:DLL AND L.FORMPRIN=:FORM AND L.DLLCOLLEGATA=C.DLL AND L.FORMCOLLEGATA=C.FORM)"),
         QStringLiteral("ORDER BY C.DLL, C.FORM"),
         QStringLiteral("WITH LOCK")},
        &transazione);
    ImpostaFinestra(query, dll, form);
    query.Open();
    bool critica = false;
    for (; !query.Eof(); query.Next())
        critica = critica || query.Fields(0).AsInteger() == 1;
    query.Close();
    return critica;
}

// How long a take waits for another workstation's take of a conflicting window: that one
// holds its locks for a few statements only.
constexpr int TentativiBlocco = 40;
constexpr auto AttesaTraTentativi = std::chrono::milliseconds(25);

} // namespace

bool VerificaSemaforiCritici(const QString& dll, const QString& form, fb::TDatabase& database) {
    // Kept prepared, in the connection's read-committed reading transaction: each count sees
    // what other workstations have committed up to that moment, in one round trip.
    try {
        return FinestraLibera(database, database.TransazioneLettura(), dll, form);
    } catch (const fb::EErroreDB&) {
        // A missing table or a lost connection never keeps a window from opening.
        return true;
    }
}

bool OccupaSemaforo(const QString& dll, const QString& form, qint32 utente, qint32 idFinestra,
                    fb::TDatabase& database) {
    // The check before the library was loaded is made again here, under the locks and in the
    // transaction that inserts the semaphore: of several workstations that passed it at the
    // same moment, one takes the window and the others are refused.
    for (int tentativo = 1;; ++tentativo) {
        fb::TTransazione transazione(&database);
        transazione.Params = {QStringLiteral("isc_tpb_read_committed"), QStringLiteral("isc_tpb_rec_version"),
                              QStringLiteral("isc_tpb_nowait")};
        try {
            transazione.StartTransaction();
            if (!BloccaCritiche(database, transazione, dll, form))
                return true;
            if (!FinestraLibera(database, transazione, dll, form))
                return false;
            // No column list: SEMAFORIF's six columns are in this order. The identifier goes
            // as text and the user as a number, as the statement has always written them.
            fb::TQuery& occupa = database.Preparata({QStringLiteral("INSERT INTO SEMAFORIF VALUES("), QStringLiteral(":ID,"),
                                                     QStringLiteral(":DLL,"), QStringLiteral(":FORM,"),
                                                     QStringLiteral(":UTENTE,"), QStringLiteral("1,"),
                                                     QStringLiteral("'NOW')")},
                                                    &transazione);
            occupa.ParamByName(QStringLiteral("ID")).AsString(QString::number(idFinestra));
            ImpostaFinestra(occupa, dll, form);
            occupa.ParamByName(QStringLiteral("UTENTE")).AsInteger(utente);
            occupa.ExecSQL();
            transazione.Commit();
            return true;
        } catch (const fb::EErroreDB& errore) {
            if (!errore.ConflittoDiBlocco())
                return true;   // as before: a failure never stops a launch by itself
            if (tentativo == TentativiBlocco)
                return false;  // still held: the other take is taken to be winning
            std::this_thread::sleep_for(AttesaTraTentativi);
        }
    }
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
