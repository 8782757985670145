#pragma once

#include <QByteArrayView>
#include <QString>

namespace piattaforma {

enum class EsitoScrittura {
    Scritto,
    // The directory takes no new file (permissions, read-only file system, no longer
    // there): the caller may look for another place.
    DirectoryNonScrivibile,
    Fallito,
};

// Writes a file that only its owner may read (mode 0600 whatever the umask), replacing
// a file of that name. A new file is written beside it and renamed over the name: a link
// found there is replaced, never followed, so the file it points at stays as it is.
EsitoScrittura ScriviFileRiservato(const QString& percorso, QByteArrayView contenuto);

// The program's own directory for files that outlive a run: $XDG_STATE_HOME/quendra, or
// ~/.local/state/quendra; the directories missing on the way are created 0700. Always with
// a trailing "/"; empty when it cannot be made.
QString DirectoryStato();

} // namespace piattaforma
