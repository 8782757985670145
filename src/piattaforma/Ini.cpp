#include "Ini.h"

#include "Codifica.h"
#include "Percorsi.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>
#include <vector>

namespace piattaforma {

namespace {

const QString AcapoWindows = QStringLiteral("\r\n");

// One line of the file with its own line end, so untouched lines are written back as read.
struct RigaIni {
    QString testo;
    QString fine;
};

qsizetype MisuraFineRiga(const QString& riga) {
    if (riga.endsWith(u"\r\n"))
        return 2;
    return riga.endsWith(u'\n') ? 1 : 0;
}

std::vector<RigaIni> DividiInRighe(const QString& contenuto) {
    std::vector<RigaIni> righe;
    qsizetype inizio = 0;
    while (inizio < contenuto.size()) {
        qsizetype acapo = contenuto.indexOf(u'\n', inizio);
        if (acapo < 0)
            acapo = contenuto.size() - 1;
        const QString intera = contenuto.mid(inizio, acapo + 1 - inizio);
        const qsizetype fine = MisuraFineRiga(intera);
        righe.push_back(RigaIni{intera.chopped(fine), intera.right(fine)});
        inizio = acapo + 1;
    }
    return righe;
}

QString UnisciRighe(const std::vector<RigaIni>& righe) {
    QString contenuto;
    for (const RigaIni& riga : righe)
        contenuto += riga.testo + riga.fine;
    return contenuto;
}

std::optional<QString> LeggiNomeSezione(const QString& riga) {
    const QString pulita = riga.trimmed();
    if (!pulita.startsWith(u'['))
        return std::nullopt;
    const qsizetype chiusa = pulita.indexOf(u']');
    return pulita.mid(1, chiusa < 0 ? -1 : chiusa - 1).trimmed();
}

bool ECommento(const QString& riga) {
    return riga.trimmed().startsWith(u';');
}

// Key name of a "key=value" line; nothing for comments and lines without '='.
std::optional<QString> LeggiNomeChiave(const QString& riga) {
    const qsizetype uguale = riga.indexOf(u'=');
    if (uguale < 0 || ECommento(riga))
        return std::nullopt;
    const QString chiave = riga.left(uguale).trimmed();
    if (chiave.isEmpty())
        return std::nullopt;
    return chiave;
}

bool HannoStessoNome(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where a key stands, or would go, in the first section with the searched name.
struct Posizione {
    int sezione = -1;
    int ultimaChiave = -1;
    int chiave = -1;
};

Posizione Trova(const std::vector<RigaIni>& righe, const QString& sezione, const QString& chiave) {
    Posizione posizione;
    bool dentro = false;
    for (int i = 0; i < static_cast<int>(righe.size()); ++i) {
        if (const auto nome = LeggiNomeSezione(righe[i].testo)) {
            if (dentro)
                break;
            dentro = HannoStessoNome(*nome, sezione.trimmed());
            if (dentro)
                posizione.sezione = posizione.ultimaChiave = i;
            continue;
        }
        const auto nome = dentro ? LeggiNomeChiave(righe[i].testo) : std::nullopt;
        if (!nome)
            continue;
        posizione.ultimaChiave = i;
        if (posizione.chiave < 0 && HannoStessoNome(*nome, chiave.trimmed()))
            posizione.chiave = i;
    }
    return posizione;
}

std::optional<QByteArray> LeggiByte(const QString& percorso) {
    QFile file(percorso);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::vector<RigaIni> LeggiRighe(const QString& percorso) {
    const auto byte = LeggiByte(percorso);
    return byte ? DividiInRighe(DaCp1252(*byte)) : std::vector<RigaIni>{};
}

bool ScriviRighe(const QString& percorso, const std::vector<RigaIni>& righe) {
    QSaveFile file(percorso);
    // Where no temporary file can be made beside it, write in place as Windows does.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray byte = ACp1252(UnisciRighe(righe));
    if (file.write(byte) != byte.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

// A line added after one without a line end needs one first.
void ChiudiRiga(RigaIni& riga) {
    if (riga.fine.isEmpty())
        riga.fine = AcapoWindows;
}

void InserisciRiga(std::vector<RigaIni>& righe, int dopo, const QString& testo) {
    if (dopo >= 0)
        ChiudiRiga(righe[dopo]);
    // dopo + 1 first: with no lines yet, begin() - 1 would point before the vector.
    righe.insert(righe.begin() + (dopo + 1), RigaIni{testo, AcapoWindows});
}

void ImpostaValore(std::vector<RigaIni>& righe, const QString& sezione, const QString& chiave,
                   const QString& valore) {
    const Posizione posizione = Trova(righe, sezione, chiave);
    if (posizione.chiave >= 0) {
        RigaIni& riga = righe[posizione.chiave];
        riga.testo = *LeggiNomeChiave(riga.testo) + u'=' + valore;
        return;
    }
    // New names are written without the blanks around them, as a rewrite of the line would
    // leave them: writing the same value twice must not change the file.
    const QString riga = chiave.trimmed() + u'=' + valore;
    if (posizione.sezione >= 0) {
        InserisciRiga(righe, posizione.ultimaChiave, riga);
        return;
    }
    const int ultima = static_cast<int>(righe.size()) - 1;
    InserisciRiga(righe, ultima, u'[' + sezione.trimmed() + u']');
    InserisciRiga(righe, ultima + 1, riga);
}

ProfiliIni*& IniImpostato() {
    static ProfiliIni* profili = nullptr;
    return profili;
}

} // namespace

QString PulisciValoreIni(const QString& grezzo) {
    const QString valore = grezzo.trimmed();
    const bool traVirgolette = valore.size() >= 2 && valore.front() == valore.back() &&
                               (valore.front() == u'"' || valore.front() == u'\'');
    return traVirgolette ? valore.mid(1, valore.size() - 2) : valore;
}

QString ProfiliIniSuDisco::Leggi(const QString& file, const QString& sezione,
                                 const QString& chiave) {
    const std::vector<RigaIni> righe = LeggiRighe(PercorsoNativo(file));
    const Posizione posizione = Trova(righe, sezione, chiave);
    if (posizione.chiave < 0)
        return {};
    const QString& riga = righe[posizione.chiave].testo;
    return PulisciValoreIni(riga.mid(riga.indexOf(u'=') + 1));
}

bool ProfiliIniSuDisco::Scrivi(const QString& file, const QString& sezione, const QString& chiave,
                               const QString& valore) {
    const QString percorso = PercorsoNativo(file);
    if (!QFileInfo(percorso).absoluteDir().exists())
        return false;
    std::vector<RigaIni> righe = LeggiRighe(percorso);
    ImpostaValore(righe, sezione, chiave, valore);
    return ScriviRighe(percorso, righe);
}

QStringList ProfiliIniSuDisco::Sezioni(const QString& file) {
    QStringList sezioni;
    for (const RigaIni& riga : LeggiRighe(PercorsoNativo(file))) {
        // Windows leaves out a section without a name.
        const auto nome = LeggiNomeSezione(riga.testo);
        if (nome && !nome->isEmpty())
            sezioni.append(*nome);
    }
    return sezioni;
}

ProfiliIni& Ini() {
    static ProfiliIniSuDisco disco;
    ProfiliIni* impostato = IniImpostato();
    return impostato ? *impostato : disco;
}

void ImpostaIni(ProfiliIni* profili) {
    IniImpostato() = profili;
}

QString LeggiIni(const QString& file, const QString& sezione, const QString& chiave) {
    return Ini().Leggi(file, sezione, chiave);
}

bool ScriviIni(const QString& file, const QString& sezione, const QString& chiave,
               const QString& valore) {
    return Ini().Scrivi(file, sezione, chiave, valore);
}

QStringList SezioniIni(const QString& file) {
    return Ini().Sezioni(file);
}

} // namespace piattaforma
