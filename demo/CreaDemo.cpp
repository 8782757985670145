// Lays out the demo installation in a directory (the executable's own, as a rule):
// the users database, the company archives, the pictures of "Grafica" and the drive links.
// Databases are rebuilt when the schema or the demo data have changed.

#include "Grafica.h"
#include "Schema.h"

#include "fb/Errore.h"
#include "piattaforma/Segnali.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

const QString DirectoryDemo = QStringLiteral(QUENDRA_DEMO_DIR);

QByteArray ImprontaSorgenti() {
    QCryptographicHash impronta(QCryptographicHash::Sha1);
    for (const QString& nome : {QStringLiteral("schema.sql"), QStringLiteral("dati.sql")}) {
        QFile file(DirectoryDemo + QLatin1Char('/') + nome);
        if (file.open(QIODevice::ReadOnly))
            impronta.addData(file.readAll());
    }
    return impronta.result().toHex();
}

} // namespace

int main(int argc, char** argv) {
    // Nothing to close: a stop signal ends it at once, whatever the database client does.
    piattaforma::FineImmediataSuSegnale();
    QCoreApplication app(argc, argv);
    const QStringList argomenti = app.arguments();
    if (argomenti.size() < 2) {
        std::fprintf(stderr, "usage: CreaDemo <installation directory> [--nuova]\n");
        return 2;
    }
    const QDir installazione(QFileInfo(argomenti[1]).absoluteFilePath());
    const bool nuova = argomenti.contains(QStringLiteral("--nuova"));

    const QString fileImpronta = installazione.filePath(QStringLiteral("demo.impronta"));
    const QByteArray impronta = ImprontaSorgenti();
    QFile vecchia(fileImpronta);
    if (!nuova && vecchia.open(QIODevice::ReadOnly) && vecchia.readAll() == impronta &&
        QFile::exists(installazione.filePath(QStringLiteral("user/user.fdb")))) {
        std::printf("Demo installation up to date in %s\n", qPrintable(installazione.path()));
        return 0;
    }
    vecchia.close();

    try {
        schema::CreaGrafica(installazione.path());
        schema::CreaGraficaDemo(installazione.path());
        schema::CreaUnitaDemo(installazione.path());
        const QString directory = installazione.path();
        schema::CreaDatabaseDemo(directory, QStringLiteral("user/user.fdb"), QStringLiteral("utenti"),
                                 DirectoryDemo);
        schema::CreaDatabaseDemo(directory, QStringLiteral("archivi/demo/archivio.fdb"),
                                 QStringLiteral("archivio"), DirectoryDemo);
        // The second company of ROSSI and D'ANGELO works on an archive of its own.
        schema::CreaDatabaseDemo(directory, QStringLiteral("archivi/beta/archivio.fdb"),
                                 QStringLiteral("archivio"), DirectoryDemo);
    } catch (const fb::EErroreDB& e) {
        std::fprintf(stderr, "Demo installation failed: %s\n", qPrintable(e.Messaggio()));
        return 1;
    }
    QFile nuovaImpronta(fileImpronta);
    if (nuovaImpronta.open(QIODevice::WriteOnly))
        nuovaImpronta.write(impronta);
    std::printf("Demo installation ready in %s\n", qPrintable(installazione.path()));
    return 0;
}
