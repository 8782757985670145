#pragma once

#include "../piattaforma/Messaggi.h"

#include <QString>

namespace fb {
class TQuery;
class TRighe;
class TTransazione;
} // namespace fb

// Writes the statement's lines, each followed by a line break, to "Quendra.<operazione>.sql"
// in the current directory, replacing an earlier file of that name (a link of that name is
// replaced, not followed). Statements may hold users' data: only the owner may read the
// file. Where the current directory takes no file, the dump goes to the program's state
// directory (piattaforma::DirectoryStato).
void SalvaIstruzione(const QString& operazione, const fb::TRighe& istruzione);
void SalvaIstruzione(const QString& operazione, const QString& testo);

// Runs the query's data-changing statement and commits the transaction. When either fails,
// the statement is saved for the operation, with the values of its parameters written in,
// and the box is shown; the answer is false.
bool EseguiConfermaOSalva(fb::TQuery& query, fb::TTransazione& transazione, const QString& operazione,
                          piattaforma::TipoMessaggio tipo, const QString& testo);
