#include "fb/Configurazione.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

#include "piattaforma/Percorsi.h"

#include <sys/stat.h>
#include <unistd.h>

namespace fb::client {

namespace {

const QString FileConfigurazione = QStringLiteral("firebird.conf");

// Private to the user: nobody else may put files into the engine's configuration.
QString CartellaPropria() {
    QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (base.isEmpty() || !QFileInfo(base).isDir())
        base = QDir::tempPath();
    return base + QStringLiteral("/quendra-firebird-") + QString::number(::getuid());
}

bool CartellaSicura(const QString& cartella) {
    if (!QFileInfo::exists(cartella) && !QDir().mkdir(cartella))
        return false;
    const QFileInfo info(cartella);
    if (info.isSymLink() || !info.isDir() || info.ownerId() != ::getuid())
        return false;
    return QFile::setPermissions(cartella, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

bool Collega(const QString& origine, const QString& collegamento) {
    const QFileInfo esistente(collegamento);
    if (esistente.isSymLink() && esistente.symLinkTarget() == QFileInfo(origine).absoluteFilePath())
        return true;
    QFile::remove(collegamento);
    // Another process may have made it meanwhile.
    return QFile::link(origine, collegamento) ||
           QFileInfo(collegamento).symLinkTarget() == QFileInfo(origine).absoluteFilePath();
}

// The system's settings with the shared mode in place of whatever mode they name.
QByteArray TestoConfigurazione(const QString& origine) {
    QByteArray testo;
    QFile sistema(origine);
    if (sistema.open(QIODevice::ReadOnly)) {
        while (!sistema.atEnd()) {
            const QByteArray riga = sistema.readLine();
            const QByteArray chiave = riga.left(riga.indexOf('=')).trimmed();
            if (chiave.compare("ServerMode", Qt::CaseInsensitive) != 0)
                testo += riga.endsWith('\n') ? riga : riga + '\n';
        }
    }
    testo += "ServerMode = SuperClassic\n";
    return testo;
}

bool ScriviSeCambiato(const QString& percorso, const QByteArray& testo) {
    QFile attuale(percorso);
    if (attuale.open(QIODevice::ReadOnly) && attuale.readAll() == testo)
        return true;
    attuale.close();
    QSaveFile nuovo(percorso);
    return nuovo.open(QIODevice::WriteOnly) && nuovo.write(testo) == testo.size() && nuovo.commit();
}

bool Prepara(const QString& radice, const QString& cartella) {
    if (!CartellaSicura(cartella))
        return false;
    const QDir origine(radice);
    const QStringList voci = origine.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QString& voce : voci) {
        if (voce != FileConfigurazione && !Collega(origine.filePath(voce), cartella + u'/' + voce))
            return false;
    }
    return ScriviSeCambiato(cartella + u'/' + FileConfigurazione,
                            TestoConfigurazione(origine.filePath(FileConfigurazione)));
}

} // namespace

QString ScegliCartellaBlocchi() {
    const QString impostata = qEnvironmentVariable("FIREBIRD_LOCK");
    if (!impostata.isEmpty())
        return impostata;
    const QString cartella = piattaforma::DirectoryEseguibileReale() + QStringLiteral("firebird-lock");
    const QByteArray nome = QFile::encodeName(cartella);
    // Group-writable and set-group-id: the lock files take the installation's group, so
    // that its users share them; the engine makes them readable by owner and group only.
    if (::mkdir(nome.constData(), 0770) == 0)
        ::chmod(nome.constData(), 02770);
    struct stat stato {};
    if (::lstat(nome.constData(), &stato) != 0 || !S_ISDIR(stato.st_mode) ||
        ::access(nome.constData(), W_OK | X_OK) != 0)
        return {};
    qputenv("FIREBIRD_LOCK", nome);
    return cartella;
}

QString PreparaConfigurazione() {
    ScegliCartellaBlocchi();
    const QString cartella = CartellaPropria();
    QString radice = qEnvironmentVariable("FIREBIRD");
    // Inherited from a process of ours: already prepared.
    if (radice == cartella)
        return cartella;
    if (radice.isEmpty())
        radice = QStringLiteral(QUENDRA_FIREBIRD_RADICE);
    if (!QFileInfo(radice).isDir() || !Prepara(radice, cartella))
        return {};
    qputenv("FIREBIRD", QFile::encodeName(cartella));
    return cartella;
}

} // namespace fb::client
