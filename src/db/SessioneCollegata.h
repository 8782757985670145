#pragma once

#include <QString>

namespace fb {
class TDatabase;
class TTransazione;
} // namespace fb

// The name of the variable that marks a connection to the users database with the work
// session it serves, so that other workstations can tell a session in use from one left open.
extern const QString VariabileSessione;

// Marks the connection with the session code. The mark is a help only: a failure is ignored.
void MarcaSessioneCollegata(fb::TDatabase& database, fb::TTransazione& transazione, qint32 codiceSessione);
// Takes the mark away: the session stays open but nobody works in it any more.
void TogliMarcaSessione(fb::TDatabase& database, fb::TTransazione& transazione);
