#include "Percorsi.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace piattaforma {

namespace {

QString& DirectoryImpostata() {
    static QString directory;
    return directory;
}

QString ConBarraFinale(QString directory) {
    if (!directory.endsWith(u'/'))
        directory += u'/';
    return directory;
}

QString DirectoryEseguibileReale() {
    static const QString directory = ConBarraFinale(
        QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath());
    return directory;
}

bool EUnSeparatore(QChar c) {
    return c == u'/' || c == u'\\';
}

bool EUnaLettera(QChar c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// "X:" followed by a separator or by nothing.
bool IniziaConUnita(const QString& percorso) {
    return percorso.size() >= 2 && EUnaLettera(percorso[0]) && percorso[1] == u':' &&
           (percorso.size() == 2 || EUnSeparatore(percorso[2]));
}

QString LeggiCartellaUnita() {
    return DirectoryEseguibile() + QStringLiteral("dosdevices/");
}

std::optional<QString> LeggiRadiceDaCollegamento(QChar lettera) {
    const QFileInfo collegamento(LeggiCartellaUnita() + lettera.toLower() + u':');
    if (!collegamento.isSymLink())
        return std::nullopt;
    return collegamento.symLinkTarget();
}

std::optional<QString> TrovaRadiceUnita(QChar lettera) {
    if (auto radice = LeggiRadiceDaCollegamento(lettera))
        return radice;
    if (lettera.toLower() == u'z')
        return QStringLiteral("/");
    return std::nullopt;
}

QString UnisciARadice(QString radice, const QString& resto) {
    if (resto.isEmpty())
        return radice;
    while (radice.endsWith(u'/'))
        radice.chop(1);
    return radice + resto;
}

// The resolved form of a path, so that links in a drive's root do not hide a match.
QString RendiCanonico(const QString& percorso) {
    const QString canonico = QFileInfo(percorso).canonicalFilePath();
    return canonico.isEmpty() ? QDir::cleanPath(percorso) : canonico;
}

bool StaSottoRadice(const QString& directory, const QString& radice) {
    if (radice == u'/')
        return true;
    return directory == radice || directory.startsWith(radice + u'/');
}

} // namespace

QString DirectoryEseguibile() {
    const QString& impostata = DirectoryImpostata();
    return impostata.isEmpty() ? DirectoryEseguibileReale() : impostata;
}

void ImpostaDirectoryEseguibile(const QString& directory) {
    DirectoryImpostata() = directory.isEmpty() ? QString() : ConBarraFinale(directory);
}

QString PercorsoNativo(const QString& percorso) {
    QString risultato = percorso;
    risultato.replace(u'\\', u'/');
    if (!IniziaConUnita(risultato))
        return risultato;
    const std::optional<QString> radice = TrovaRadiceUnita(risultato[0]);
    if (!radice)
        return risultato;
    return UnisciARadice(*radice, risultato.mid(2));
}

QString LetteraUnitaProgramma() {
    const QString directory = RendiCanonico(DirectoryEseguibile());
    QString lettera = QStringLiteral("Z");
    qsizetype radicePiuLunga = -1;
    const QFileInfoList voci =
        QDir(LeggiCartellaUnita()).entryInfoList(QDir::AllEntries | QDir::System, QDir::Name);
    for (const QFileInfo& voce : voci) {
        const QString nome = voce.fileName();
        if (nome.size() != 2 || !EUnaLettera(nome[0]) || nome[1] != u':' || !voce.isSymLink())
            continue;
        const QString radice = RendiCanonico(voce.symLinkTarget());
        // Strictly longer: on a tie the first letter in order keeps the drive.
        if (StaSottoRadice(directory, radice) && radice.size() > radicePiuLunga) {
            radicePiuLunga = radice.size();
            lettera = nome.left(1).toUpper();
        }
    }
    return lettera;
}

bool DirectoryEsiste(const QString& percorso) {
    return !percorso.isEmpty() && QFileInfo(PercorsoNativo(percorso)).isDir();
}

bool CreaDirectory(const QString& percorso) {
    return !percorso.isEmpty() && QDir().mkdir(PercorsoNativo(percorso));
}

bool FileEsiste(const QString& percorso) {
    if (percorso.isEmpty())
        return false;
    const QFileInfo info(PercorsoNativo(percorso));
    return info.exists() && !info.isDir();
}

} // namespace piattaforma
