#pragma once

// Loads the schema file (and data files of the same shape) into a database: the tables the
// program expects, created outside the program by the suite's maintenance.

#include <QString>
#include <QStringList>

namespace fb {
class TDatabase;
}

namespace schema {

// The statements of one section ("utenti" or "archivio") of a file whose sections start with
// a line "--@ name"; each statement ends with ';' at the end of a line.
QStringList Istruzioni(const QString& file, const QString& sezione);

// Runs them on an open connection, each in a transaction of its own (tables must be
// committed before rows go in).
void Esegui(fb::TDatabase& database, const QStringList& istruzioni);

// Creates the database file at that path (page size 4096, dialect 3) and loads the section.
void CreaDatabase(const QString& percorso, const QString& file, const QString& sezione);

// One database of the demo installation, at a path relative to the installation directory,
// made afresh from the section of the demo's "schema.sql" and filled with the section's rows
// of its "dati.sql", where {INSTALLAZIONE} stands for the installation directory. The demo
// builder and the tests lay the demo out alike.
void CreaDatabaseDemo(const QString& directoryInstallazione, const QString& relativo,
                      const QString& sezione, const QString& directoryDemo);

// The demo's drives: "dosdevices" with c: and d: both leading to the installation folder,
// as an office maps one share under two letters. Links already there are replaced.
void CreaUnitaDemo(const QString& directoryInstallazione);

} // namespace schema
