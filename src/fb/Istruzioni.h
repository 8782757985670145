#pragma once

// Pieces of statements that more than one writer builds the same way.

#include "../fb/Query.h"

#include <QString>
#include <QStringList>

namespace fb {

void AggiungiRighe(TRighe& righe, const QStringList& nuove);
// Each item on its own line, followed by a comma except the last.
void AggiungiElenco(TRighe& righe, const QStringList& voci);

// "UPDATE <table>", "SET", then "<column>=:<parameter>" for each column, one per line.
// The table is written as given: quote it first when it needs it.
void ScriviModifica(TRighe& istruzione, const QString& tabella, const QStringList& colonne,
                    const QStringList& parametri);
// "INSERT INTO <table>", "(", the columns, ")", "VALUES", "(", ":<parameter>"s, ")".
void ScriviInserimento(TRighe& istruzione, const QString& tabella, const QStringList& colonne,
                       const QStringList& parametri);

// A table or column name between double quotes, as the engine stores it: a plain name
// (letters, digits, "_" and "$", starting with a letter) in upper case, as an unquoted name
// would be; any other exactly as written, its double quotes doubled.
QString Identificatore(const QString& nome);
// A name exactly as the engine stores it (as it reports a column), between double quotes.
QString IdentificatoreEsatto(const QString& nome);
// A stored name as a statement writes it: bare when plain and in upper case, quoted otherwise.
QString NomeColonna(const QString& nome);

} // namespace fb
