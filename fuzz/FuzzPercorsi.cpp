// Drive-letter paths and Linux paths, against two throw-away installations made once: one
// with several drives and no "z:" (so Z: is "/"), one whose "z:" is a folder of its own.

#include "Verifica.h"

#include "piattaforma/Percorsi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <unistd.h>

using namespace piattaforma;

namespace {

struct Installazione {
    QString directory;
    QString unita;          // the letters whose drive root is known, upper case
    bool zERadice = false;  // no "z:" link, so Z: is "/"
};

QString Radice;
Installazione Installazioni[2];

void Crea(const QString& relativo) {
    if (!QDir().mkpath(Radice + relativo))
        std::abort();
}

void Collega(const QString& destinazione, const QString& collegamento) {
    if (!QFile::link(destinazione, Radice + collegamento))
        std::abort();
}

void Rimuovi() {
    QDir(Radice).removeRecursively();
}

// "X:\a\b" whose components are plain names (a trailing "\" allowed): the path that comes
// back from its native form unchanged, but for the letter's case.
bool EPercorsoSemplice(const QString& percorso, QStringList& componenti) {
    if (percorso.size() < 3 || percorso[1] != u':' || percorso[2] != u'\\' ||
        percorso.contains(u'/') || percorso.contains(QChar(0)))
        return false;
    const QChar lettera = percorso[0];
    if (!((lettera >= u'a' && lettera <= u'z') || (lettera >= u'A' && lettera <= u'Z')))
        return false;
    componenti = percorso.mid(3).split(u'\\');
    for (qsizetype i = 0; i < componenti.size(); ++i) {
        const QString& c = componenti[i];
        if (c == u'.' || c == QStringLiteral(".."))
            return false;
        if (c.isEmpty() && i + 1 < componenti.size())
            return false;
    }
    return true;
}

// What PercorsoConUnita should give back for the native form of a simple path, or nothing
// where the answer depends on the machine's own folders.
std::optional<QString> Atteso(const Installazione& inst, const QString& percorso,
                              const QStringList& componenti) {
    const QChar lettera = percorso[0].toUpper();
    if (!inst.unita.contains(lettera))
        return std::nullopt;
    const QString& prima = componenti.front();
    // On the drive of "/" only a first folder the machine lacks keeps the answer fixed.
    if (lettera == u'Z' && inst.zERadice && !prima.isEmpty() && QFileInfo::exists(u'/' + prima))
        return std::nullopt;
    // The drive rooted inside C: claims its own folder.
    if (lettera == u'C' && inst.unita.contains(u'F') && prima == QStringLiteral("annidata")) {
        const QString sotto = percorso.mid(QStringLiteral("C:\\annidata").size());
        return QStringLiteral("F:") + (sotto.isEmpty() ? QStringLiteral("\\") : sotto);
    }
    return lettera + percorso.mid(1);
}

bool HaLettera(const QString& percorso) {
    return percorso.size() >= 2 && percorso[1] == u':' && percorso[0].unicode() < 0x80 &&
           percorso[0].isLetter() &&
           (percorso.size() == 2 || percorso[2] == u'\\' || percorso[2] == u'/');
}

void Verifica(const Installazione& inst, const QString& percorso) {
    ImpostaDirectoryEseguibile(inst.directory);
    const QString nativo = PercorsoNativo(percorso);
    VERIFICA(!nativo.contains(u'\\'), percorso + u'|' + nativo);
    const QString conUnita = PercorsoConUnita(percorso);
    VERIFICA(!conUnita.contains(u'/'), percorso + u'|' + conUnita);
    const QString ritorno = PercorsoConUnita(nativo);
    VERIFICA(!ritorno.contains(u'/'), percorso + u'|' + nativo + u'|' + ritorno);
    // A path with a letter already only changes its separators; a Linux path stays.
    if (HaLettera(percorso))
        VERIFICA(conUnita == QString(percorso).replace(u'/', u'\\'), percorso + u'|' + conUnita);
    else if (!percorso.contains(u'\\'))
        VERIFICA(nativo == percorso, percorso + u'|' + nativo);

    QStringList componenti;
    if (!EPercorsoSemplice(percorso, componenti))
        return;
    if (const std::optional<QString> atteso = Atteso(inst, percorso, componenti))
        VERIFICA(ritorno == *atteso, percorso + u'|' + nativo + u'|' + ritorno);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::ZittisciQt();
    // One folder per process: parallel jobs must not remove each other's drives.
    Radice = QDir::tempPath() + QStringLiteral("/quendra-fuzz-percorsi-%1/").arg(getpid());
    Rimuovi();
    for (const char* cartella : {"dischi/c/annidata/giu", "dischi/c/Dati", "dischi/d/radice/sub",
                                 "dischi/e", "dischi/g", "dischi/z", "a/dosdevices", "b/dosdevices"})
        Crea(QString::fromLatin1(cartella));
    Collega(Radice + QStringLiteral("dischi/e"), QStringLiteral("dischi/collegamento"));
    // The first installation: nested roots, a root reached through a link, a relative link
    // as Wine makes them, a drive whose root is missing, a file named like a drive; no "z:".
    Collega(Radice + QStringLiteral("dischi/c"), QStringLiteral("a/dosdevices/c:"));
    Collega(Radice + QStringLiteral("dischi/d/radice"), QStringLiteral("a/dosdevices/d:"));
    Collega(Radice + QStringLiteral("dischi/collegamento"), QStringLiteral("a/dosdevices/e:"));
    Collega(Radice + QStringLiteral("dischi/c/annidata"), QStringLiteral("a/dosdevices/f:"));
    Collega(QStringLiteral("../../dischi/g"), QStringLiteral("a/dosdevices/g:"));
    Collega(Radice + QStringLiteral("dischi/manca"), QStringLiteral("a/dosdevices/m:"));
    QFile finto(Radice + QStringLiteral("a/dosdevices/x:"));
    if (!finto.open(QIODevice::WriteOnly))
        std::abort();
    // The second: "z:" is a folder, so "/" has no drive.
    Collega(Radice + QStringLiteral("dischi/c"), QStringLiteral("b/dosdevices/c:"));
    Collega(Radice + QStringLiteral("dischi/z"), QStringLiteral("b/dosdevices/z:"));
    Installazioni[0] = {Radice + QStringLiteral("a/"), QStringLiteral("CDEFGMZ"), true};
    Installazioni[1] = {Radice + QStringLiteral("b/"), QStringLiteral("CZ"), false};
    std::atexit(Rimuovi);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t misura) {
    const QString percorso =
        QString::fromUtf8(reinterpret_cast<const char*>(dati), qsizetype(misura));
    for (const Installazione& inst : Installazioni)
        Verifica(inst, percorso);
    return 0;
}
