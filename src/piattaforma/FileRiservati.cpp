#include "piattaforma/FileRiservati.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace piattaforma {

namespace {

QByteArray NomeDiSistema(const QString& percorso) { return QFile::encodeName(percorso); }

bool ScriviTutto(int descrittore, QByteArrayView contenuto) {
    const char* dati = contenuto.data();
    qsizetype resto = contenuto.size();
    while (resto > 0) {
        const ssize_t scritti = ::write(descrittore, dati, static_cast<size_t>(resto));
        if (scritti < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        dati += scritti;
        resto -= scritti;
    }
    return true;
}

// Permissions, a read-only file system, or a directory removed while in use.
bool DirectoryNegata(int errore) {
    return errore == EACCES || errore == EPERM || errore == EROFS || errore == ENOENT;
}

QString CartellaCasa() {
    const QString casa = qEnvironmentVariable("HOME");
    if (!casa.isEmpty())
        return casa;
    const passwd* utente = ::getpwuid(::getuid());
    return utente != nullptr && utente->pw_dir != nullptr ? QFile::decodeName(utente->pw_dir) : QString();
}

// Makes each missing directory of the path with mode 0700 exactly, as the umask may take
// the owner's own bits away.
bool CreaDirectoryPrivate(const QString& percorso) {
    QString fatto;
    for (const QString& parte : percorso.split(u'/', Qt::SkipEmptyParts)) {
        fatto += u'/' + parte;
        const QByteArray nome = NomeDiSistema(fatto);
        if (::mkdir(nome.constData(), 0700) == 0) {
            if (::chmod(nome.constData(), 0700) != 0)
                return false;
        } else if (errno != EEXIST) {
            return false;
        }
    }
    struct stat informazioni;
    return ::stat(NomeDiSistema(percorso).constData(), &informazioni) == 0 && S_ISDIR(informazioni.st_mode);
}

} // namespace

EsitoScrittura ScriviFileRiservato(const QString& percorso, QByteArrayView contenuto) {
    const QByteArray nome = NomeDiSistema(percorso);
    const qsizetype barra = nome.lastIndexOf('/');
    // Hidden beside the final name, so that the rename stays within one file system.
    QByteArray provvisorio = nome.left(barra + 1) + '.' + nome.mid(barra + 1) + ".XXXXXX";
    // mkostemp opens with O_CREAT | O_EXCL: a name taken by anything, a link included, is
    // never opened.
    const int descrittore = ::mkostemp(provvisorio.data(), O_CLOEXEC);
    if (descrittore < 0)
        return DirectoryNegata(errno) ? EsitoScrittura::DirectoryNonScrivibile : EsitoScrittura::Fallito;
    const bool scritto = ::fchmod(descrittore, 0600) == 0 && ScriviTutto(descrittore, contenuto);
    const bool chiuso = ::close(descrittore) == 0;
    if (scritto && chiuso && ::rename(provvisorio.constData(), nome.constData()) == 0)
        return EsitoScrittura::Scritto;
    ::unlink(provvisorio.constData());
    return EsitoScrittura::Fallito;
}

QString DirectoryStato() {
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    // A relative path is invalid there and is ignored, as the base directory rules say.
    if (!QDir::isAbsolutePath(base)) {
        const QString casa = CartellaCasa();
        if (casa.isEmpty())
            return {};
        base = casa + QStringLiteral("/.local/state");
    }
    const QString directory = QDir::cleanPath(base + QStringLiteral("/quendra"));
    if (!CreaDirectoryPrivate(directory))
        return {};
    return directory + u'/';
}

} // namespace piattaforma
