// Profile files: any bytes on disk read without harm, and a write then reads back what was
// written while every other key keeps its value and every other line its bytes.
//
// Input: the file's bytes, then "\0section\0key\0value" for the write (text in
// Windows-1252, as the file stores it). Without the three fields a fixed write is made.

#include "Verifica.h"

#include "piattaforma/Codifica.h"
#include "piattaforma/Ini.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

using namespace piattaforma;

namespace {

QString Cartella;
QString File;

// Reading every pair costs a file read each: a few sections and keys are enough.
constexpr qsizetype MassimoSezioni = 6;
constexpr qsizetype MassimoChiavi = 6;

struct Scrittura {
    QString sezione = QStringLiteral("Nuova");
    QString chiave = QStringLiteral("Chiave");
    QString valore = QStringLiteral("valore");
};

void Rimuovi() {
    QDir(Cartella).removeRecursively();
}

void Prepara(QByteArrayView byte) {
    QFile file(File);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(byte.data(), byte.size()) != byte.size())
        std::abort();
}

QByteArray Contenuto() {
    QFile file(File);
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

bool StessoNome(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// Lines with their own line end, split here again so the writer's splitting is not trusted.
QList<QByteArray> Righe(const QByteArray& byte) {
    QList<QByteArray> righe;
    qsizetype inizio = 0;
    while (inizio < byte.size()) {
        qsizetype acapo = byte.indexOf('\n', inizio);
        acapo = acapo < 0 ? byte.size() : acapo + 1;
        righe.append(byte.mid(inizio, acapo - inizio));
        inizio = acapo;
    }
    return righe;
}

// Key names as a reader would spot them, in file order, each once.
QStringList ChiaviNelTesto(const QString& testo) {
    QStringList chiavi;
    for (const QString& riga : testo.split(u'\n')) {
        const qsizetype uguale = riga.indexOf(u'=');
        const QString chiave = riga.left(uguale).trimmed();
        if (uguale > 0 && !chiave.isEmpty() && !chiavi.contains(chiave, Qt::CaseInsensitive))
            chiavi.append(chiave);
    }
    return chiavi;
}

// What a line of the file can hold so that it reads back as the same section, key and value.
bool ScritturaRileggibile(const Scrittura& s) {
    const QString chiave = s.chiave.trimmed();
    return !s.sezione.contains(u'\n') && !s.sezione.contains(u']') && !s.chiave.contains(u'\n') &&
           !s.chiave.contains(u'=') && !chiave.isEmpty() && !chiave.startsWith(u';') &&
           !chiave.startsWith(u'[') && !s.valore.contains(u'\n');
}

// Blanks around the value go, and one pair of matching quotes.
QString LettoPer(const QString& valore) {
    QString v = valore.trimmed();
    if (v.size() >= 2 && v.front() == v.back() && (v.front() == u'"' || v.front() == u'\''))
        v = v.mid(1, v.size() - 2);
    return v;
}

void VerificaRighe(const QByteArray& prima, const QByteArray& dopo) {
    const QList<QByteArray> a = Righe(prima);
    const QList<QByteArray> b = Righe(dopo);
    qsizetype inizio = 0;
    while (inizio < a.size() && inizio < b.size() && a[inizio] == b[inizio])
        ++inizio;
    qsizetype fineA = a.size();
    qsizetype fineB = b.size();
    while (fineA > inizio && fineB > inizio && a[fineA - 1] == b[fineB - 1]) {
        --fineA;
        --fineB;
    }
    // One line changed (a value replaced, or a line end added before new lines), and at
    // most a section header and a key line added.
    const qsizetype cambiate = fineA - inizio;
    const qsizetype nuove = fineB - inizio;
    VERIFICA(cambiate <= 1 && nuove >= cambiate && nuove <= cambiate + 2,
             DaCp1252(prima) + u'|' + DaCp1252(dopo));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::ZittisciQt();
    // Every write syncs the file: in memory that costs nothing, on a disk it is most of the
    // run. A TMPDIR that was set is taken as it is.
    const QFileInfo memoria(QStringLiteral("/dev/shm"));
    const QString base = !qEnvironmentVariableIsSet("TMPDIR") && memoria.isDir() &&
                                 memoria.isWritable()
                             ? memoria.filePath()
                             : QDir::tempPath();
    Cartella = base + QStringLiteral("/quendra-fuzz-ini-%1").arg(getpid());
    Rimuovi();
    if (!QDir().mkpath(Cartella))
        std::abort();
    File = Cartella + QStringLiteral("/Quendra.ini");
    std::atexit(Rimuovi);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* dati, size_t misura) {
    const QByteArrayView ingresso(reinterpret_cast<const char*>(dati), qsizetype(misura));
    QByteArrayView file = ingresso;
    Scrittura scrittura;
    {
        // The last three NUL-separated fields.
        qsizetype fine = ingresso.size();
        QByteArrayView campi[3];
        int trovati = 0;
        for (int i = 2; i >= 0; --i) {
            const qsizetype zero = fine > 0 ? ingresso.first(fine).lastIndexOf('\0') : -1;
            if (zero < 0)
                break;
            campi[i] = ingresso.sliced(zero + 1, fine - zero - 1);
            fine = zero;
            ++trovati;
        }
        if (trovati == 3) {
            file = ingresso.first(fine);
            scrittura = {DaCp1252(campi[0]), DaCp1252(campi[1]), DaCp1252(campi[2])};
        }
    }

    Prepara(file);
    const QString testo = DaCp1252(file);
    const QStringList sezioniPrima = SezioniIni(File);
    for (const QString& sezione : sezioniPrima)
        VERIFICA(!sezione.isEmpty() && sezione == sezione.trimmed(), testo);

    QStringList sezioni = sezioniPrima.mid(0, MassimoSezioni);
    sezioni.append(scrittura.sezione);
    QStringList chiavi = ChiaviNelTesto(testo).mid(0, MassimoChiavi);
    chiavi.append(scrittura.chiave);
    QStringList lettiPrima;
    for (const QString& sezione : sezioni)
        for (const QString& chiave : chiavi)
            lettiPrima.append(LeggiIni(File, sezione, chiave));

    VERIFICA(ScriviIni(File, scrittura.sezione, scrittura.chiave, scrittura.valore), testo);
    const QByteArray dopo = Contenuto();
    if (!ScritturaRileggibile(scrittura))
        return 0;
    VerificaRighe(file.toByteArray(), dopo);

    const QString dettagli = testo + u'|' + scrittura.sezione + u'|' + scrittura.chiave + u'|' +
                             scrittura.valore + u'|' + DaCp1252(dopo);
    VERIFICA(LeggiIni(File, scrittura.sezione, scrittura.chiave) == LettoPer(scrittura.valore),
             dettagli);
    qsizetype n = 0;
    for (const QString& sezione : sezioni) {
        for (const QString& chiave : chiavi) {
            const QString& prima = lettiPrima[n++];
            if (StessoNome(sezione, scrittura.sezione) && StessoNome(chiave, scrittura.chiave))
                continue;
            VERIFICA(LeggiIni(File, sezione, chiave) == prima,
                     dettagli + u'|' + sezione + u'|' + chiave);
        }
    }

    QStringList sezioniAttese = sezioniPrima;
    const QString nuova = scrittura.sezione.trimmed();
    if (!nuova.isEmpty() &&
        std::none_of(sezioniPrima.begin(), sezioniPrima.end(),
                     [&](const QString& s) { return StessoNome(s, nuova); }))
        sezioniAttese.append(nuova);
    VERIFICA(SezioniIni(File) == sezioniAttese, dettagli);

    // Writing the same again changes nothing.
    VERIFICA(ScriviIni(File, scrittura.sezione, scrittura.chiave, scrittura.valore), dettagli);
    VERIFICA(Contenuto() == dopo, dettagli);
    return 0;
}
