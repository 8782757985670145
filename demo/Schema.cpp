#include "Schema.h"

#include "fb/Database.h"
#include "fb/Errore.h"
#include "fb/Query.h"
#include "fb/Transazione.h"
#include "piattaforma/Codifica.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace schema {

QStringList Istruzioni(const QString& file, const QString& sezione) {
    QFile sorgente(file);
    if (!sorgente.open(QIODevice::ReadOnly))
        throw fb::EErroreDB(QStringLiteral("Cannot read the schema file ") + file);
    const QString testo = QString::fromUtf8(sorgente.readAll());

    QStringList istruzioni;
    QString corrente;
    bool dentro = false;
    for (const QString& grezza : testo.split(QLatin1Char('\n'))) {
        const QString riga = grezza.trimmed();
        if (riga.startsWith(QStringLiteral("--@"))) {
            dentro = riga.mid(3).trimmed().compare(sezione, Qt::CaseInsensitive) == 0;
            continue;
        }
        if (!dentro || riga.startsWith(QStringLiteral("--")) || (riga.isEmpty() && corrente.isEmpty()))
            continue;
        corrente += grezza + QLatin1Char('\n');
        if (riga.endsWith(QLatin1Char(';'))) {
            corrente = corrente.trimmed();
            corrente.chop(1);
            istruzioni.append(corrente);
            corrente.clear();
        }
    }
    return istruzioni;
}

void Esegui(fb::TDatabase& database, const QStringList& istruzioni) {
    fb::TTransazione transazione(&database);
    fb::TQuery query(&database, &transazione);
    for (const QString& istruzione : istruzioni) {
        query.SQL.Clear();
        query.SQL.Add(istruzione);
        try {
            query.ExecSQL();
        } catch (const fb::EErroreDB& e) {
            throw fb::EErroreDB(e.Messaggio() + QStringLiteral("\nin: ") + istruzione, e.Codici(),
                                e.SqlCode(), e.SqlState());
        }
        transazione.Commit();
    }
}

void CreaDatabase(const QString& percorso, const QString& file, const QString& sezione) {
    fb::TDatabase database;
    database.DatabaseName = percorso;
    database.Params = {QStringLiteral("USER \"SYSDBA\""), QStringLiteral("PASSWORD \"quillpond\""),
                       QStringLiteral("PAGE_SIZE 4096")};
    database.CreateDatabase();
    Esegui(database, Istruzioni(file, sezione));
}

void CreaDatabaseDemo(const QString& directoryInstallazione, const QString& relativo,
                      const QString& sezione, const QString& directoryDemo) {
    const QDir installazione(directoryInstallazione);
    const QString percorso = installazione.filePath(relativo);
    QFile::remove(percorso);
    QDir().mkpath(QFileInfo(percorso).path());
    CreaDatabase(percorso, directoryDemo + QStringLiteral("/schema.sql"), sezione);

    // The demo rows name paths inside the installation.
    QStringList righe = Istruzioni(directoryDemo + QStringLiteral("/dati.sql"), sezione);
    QString radice = installazione.absolutePath() + QLatin1Char('/');
    radice.replace(QLatin1Char('\''), QStringLiteral("''"));
    for (QString& riga : righe)
        riga.replace(QStringLiteral("{INSTALLAZIONE}"), radice);
    fb::TDatabase database;
    database.DatabaseName = percorso;
    database.Params = {QStringLiteral("user_name=SYSDBA"), QStringLiteral("password=quillpond")};
    database.Open();
    Esegui(database, righe);
}

void CreaUnitaDemo(const QString& directoryInstallazione) {
    const QDir installazione(directoryInstallazione);
    installazione.mkpath(QStringLiteral("dosdevices"));
    for (const QString& unita : {QStringLiteral("c:"), QStringLiteral("d:")}) {
        const QString collegamento = installazione.filePath(QStringLiteral("dosdevices/") + unita);
        QFile::remove(collegamento);
        // Relative, so the installation may move.
        QFile::link(QStringLiteral(".."), collegamento);
    }
}

} // namespace schema
