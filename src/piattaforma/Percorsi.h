#pragma once

#include <QString>
#include <QStringList>

namespace piattaforma {

// Directory of the running executable, always with a trailing "/".
QString DirectoryEseguibile();

// Where the executable really is, whatever the tests set: for what every process of one
// installation must agree on for as long as it runs.
QString DirectoryEseguibileReale();

// Tests point the program at a throw-away directory; an empty text restores the real one.
void ImpostaDirectoryEseguibile(const QString& directory);

// Turns a path as the program writes it (Windows form, "C:\Gestionale\user\") into a
// Linux path. Drive letters are resolved through the links "c:", "d:", ... of the folder
// "dosdevices" beside the executable; without a link "Z:" is "/" and any other drive is
// left as it stands. Linux paths pass unchanged.
QString PercorsoNativo(const QString& percorso);

// The inverse: a path of this system in its drive-letter form ("D:\user\user.fdb"), for a
// server that knows drives. The drive is the "dosdevices" link whose root holds the path
// (the longest such root), else "Z:" for "/" unless a link "z:" exists. A path that has a
// drive letter already, or that no drive holds, keeps its letter and takes backslashes.
QString PercorsoConUnita(const QString& percorso);

// Upper-case letter of the drive whose root holds the executable; "Z" when none does.
QString LetteraUnitaProgramma();

// The machine's drives as lower-case letters in order: one per link of "dosdevices",
// also a link that points nowhere (a drive not ready), and "z" for "/" unless a link
// names it otherwise.
QStringList UnitaDisponibili();

// Whether a database path names its place fully: a path from the root ("/dati/a.fdb"), a
// drive with its root ("C:\Dati\a.fdb"), a network share ("\\SRV\Dati\a.fdb") or a
// server's own form ("SRV:C:\Dati\a.fdb", "SRV:ALIAS"). Anything else would be looked for
// in whatever directory the process happens to run in.
bool PercorsoCompleto(const QString& percorso);

bool DirectoryEsiste(const QString& percorso);

// One level only, like Windows: false when the parent is missing or the directory exists.
bool CreaDirectory(const QString& percorso);

// True for files only, not for directories.
bool FileEsiste(const QString& percorso);

} // namespace piattaforma
