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

// Wine names the links in lower case; one named in upper case by hand counts as well.
std::optional<QString> LeggiRadiceDaCollegamento(QChar lettera) {
    for (const QChar forma : {lettera.toLower(), lettera.toUpper()}) {
        const QFileInfo collegamento(LeggiCartellaUnita() + forma + u':');
        if (collegamento.isSymLink())
            return collegamento.symLinkTarget();
    }
    return std::nullopt;
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

QString DirectoryEseguibileReale() {
    static const QString directory = ConBarraFinale(
        QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath());
    return directory;
}

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

namespace {

struct Unita {
    QString Lettera; // upper case
    QString Radice;  // canonical
};

// The drive whose root holds the directory (canonical): the longest root; on a tie the
// first letter in order keeps it.
std::optional<Unita> UnitaCheContiene(const QString& directory) {
    std::optional<Unita> trovata;
    const QFileInfoList voci =
        QDir(LeggiCartellaUnita()).entryInfoList(QDir::AllEntries | QDir::System, QDir::Name);
    for (const QFileInfo& voce : voci) {
        const QString nome = voce.fileName();
        if (nome.size() != 2 || !EUnaLettera(nome[0]) || nome[1] != u':' || !voce.isSymLink())
            continue;
        const QString radice = RendiCanonico(voce.symLinkTarget());
        if (StaSottoRadice(directory, radice) && (!trovata || radice.size() > trovata->Radice.size()))
            trovata = Unita{nome.left(1).toUpper(), radice};
    }
    return trovata;
}

// The path with its existing directories resolved; what is still to be made keeps its names.
// The nearest existing folder is the one resolved, however deep the missing part: a drive
// root reached through a link must still hold a folder not yet made.
QString CanonicoFinoAlFile(const QString& percorso) {
    const QFileInfo info(percorso);
    if (info.exists())
        return RendiCanonico(percorso);
    QString mancante = info.fileName();
    QString directory = info.absolutePath();
    while (directory != u'/' && !QFileInfo::exists(directory)) {
        const QFileInfo superiore(directory);
        mancante.prepend(superiore.fileName() + u'/');
        directory = superiore.absolutePath();
    }
    directory = RendiCanonico(directory);
    return (directory.endsWith(u'/') ? directory : directory + u'/') + mancante;
}

} // namespace

QString PercorsoConUnita(const QString& percorso) {
    QString conBarre = percorso;
    conBarre.replace(u'\\', u'/');
    if (IniziaConUnita(conBarre) || !conBarre.startsWith(u'/'))
        return QString(percorso).replace(u'/', u'\\');
    const bool directoryFinale = conBarre.endsWith(u'/');
    QString canonico = CanonicoFinoAlFile(conBarre);
    if (directoryFinale && !canonico.endsWith(u'/'))
        canonico += u'/';
    QString lettera;
    QString resto;
    if (const std::optional<Unita> unita = UnitaCheContiene(canonico)) {
        lettera = unita->Lettera;
        resto = unita->Radice == u'/' ? canonico : canonico.mid(unita->Radice.size());
    } else if (!LeggiRadiceDaCollegamento(u'z')) {
        lettera = QStringLiteral("Z");
        resto = canonico;
    } else {
        return QString(percorso).replace(u'/', u'\\');
    }
    if (!resto.startsWith(u'/'))
        resto.prepend(u'/');
    return lettera + u':' + resto.replace(u'/', u'\\');
}

QString LetteraUnitaProgramma() {
    const std::optional<Unita> unita = UnitaCheContiene(RendiCanonico(DirectoryEseguibile()));
    return unita ? unita->Lettera : QStringLiteral("Z");
}

QStringList UnitaDisponibili() {
    QStringList lettere;
    const QFileInfoList voci =
        QDir(LeggiCartellaUnita()).entryInfoList(QDir::AllEntries | QDir::System, QDir::Name);
    for (const QFileInfo& voce : voci) {
        const QString nome = voce.fileName().toLower();
        if (nome.size() == 2 && EUnaLettera(nome[0]) && nome[1] == u':' && voce.isSymLink() &&
            !lettere.contains(nome.left(1)))
            lettere << nome.left(1);
    }
    if (!lettere.contains(QStringLiteral("z")))
        lettere << QStringLiteral("z");
    lettere.sort();
    return lettere;
}

bool PercorsoCompleto(const QString& percorso) {
    const auto separatore = [](QChar c) { return c == u'\\' || c == u'/'; };
    if (percorso.isEmpty())
        return false;
    if (separatore(percorso[0]))
        return true;
    if (percorso.size() >= 3 && percorso[0].isLetter() && percorso[1] == u':')
        return separatore(percorso[2]);
    const qsizetype duePunti = percorso.indexOf(u':');
    return duePunti >= 2 && duePunti + 1 < percorso.size();
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
