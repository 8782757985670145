#pragma once

// Locating, opening and creating databases through the "dati.ini" beside them.

#include <QDate>
#include <QString>

class QWidget;

namespace fb {
class TDatabase;
}

// Opens the database D + F (F "archivio.fdb" when empty), or creates it; true when the
// connection ends open. User name and password replace SYSDBA and the default password.
bool ApriCreaDatabase(fb::TDatabase& connessione, QString directory, QString nomeFile,
                      const QString& utente, const QString& password, QWidget* owner);

// Connects to the path (through server and drive letter when given), creating the database
// when it does not exist there.
bool ConnettiOCreaDatabase(fb::TDatabase& connessione, QString percorso, const QString& server,
                           const QString& disco, const QString& utente, const QString& password);

// How an attempt on one database name ended.
enum class EsitoConnessione {
    Aperto,   // opened, or created because it did not exist
    Mancante, // it does not exist and could not be created there: another place may be tried
    Fallito,  // it is there (or its server did not answer) and could not be opened, or it
              // could not be created for another reason than a missing place; the engine's
              // reason has been shown, and nothing else may be tried in its stead
};
// ConnettiOCreaDatabase with the outcome told apart; without puoCreare a missing database
// is only reported as missing.
EsitoConnessione ProvaConnessione(fb::TDatabase& connessione, QString percorso, const QString& server,
                                  const QString& disco, const QString& utente,
                                  const QString& password, bool puoCreare = true);

struct ServerEDisco {
    QString Server;
    QString Disco;
};
// Reads server and drive letter from the directory's dati.ini, asking for them when missing.
ServerEDisco ChiediServerEDisco(const QString& directory, QWidget* owner);

// For a directory \\server\share\...: the path the server sees, and whether the share has a
// name rather than a drive letter. Returns true when it has stopped the opening.
bool ConvertiPercorsoDiRete(const QString& directory, const QString& percorsoNelServer,
                            QString& percorso, bool& condivisaConNome);

// ---- Window positions ----

namespace fb {
class TQuery;
class TAggiornamento;
} // namespace fb

// The SQL literal of a date: "'mm/dd/yyyy'".
QString FormattaDataSQL(const QDate& data);

// Applies the position stored in STOPOS1 for the window (situation code), user and project,
// when there is one, without checking it against the screen.
void CaricaPosizioneFinestra(QWidget* finestra, qint32 utente, qint32 situazione, qint32 progetto,
                             fb::TDatabase& database);
// Stores the window's position when it differs from the stored one (or none is stored), in a
// transaction of its own that it commits.
void SalvaPosizioneFinestra(QWidget* finestra, qint32 utente, qint32 situazione, qint32 progetto,
                            fb::TDatabase& database);
// Builds the update object's modify statement (kind "UPDATE") or insert statement ("INSERT"),
// any letter case, from the columns of the query's statement; any other kind changes nothing.
// The columns are read in the connection's default transaction, started when not active.
void CreaSQLAggiornamento(fb::TQuery& query, const QString& tabella, const QString& tipo,
                          fb::TAggiornamento& aggiornamento);

// ---- Window semaphores ----
// Each procedure works in a transaction and a query of its own on the given database (the
// company archive) and commits what is still active when it ends. Database failures are
// swallowed: a check that fails lets the window open.

// True when the window (library dll, export form) may open: no taken semaphore of a window
// linked to it and, when it is specially observed, none of its own.
bool VerificaSemaforiCritici(const QString& dll, const QString& form, fb::TDatabase& database);
// Takes a semaphore for this opening when the window is critical, checking again, under a
// lock that every take of a conflicting window also takes, that nothing stands in the way.
// False when something does (the caller refuses the opening); a database failure is
// swallowed and answers true.
bool OccupaSemaforo(const QString& dll, const QString& form, qint32 utente, qint32 idFinestra,
                    fb::TDatabase& database);
// Records a refused opening in SEMAFORIFANOMALIE.
void RegistraAnomaliaSemaforo(qint32 utente, const QString& dll, const QString& form,
                              fb::TDatabase& database);
// Records the refusal and tells the user why the window does not open.
void SegnalaSemaforoOccupato(qint32 utente, const QString& dll, const QString& form,
                             fb::TDatabase& database);
