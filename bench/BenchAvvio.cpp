// Prints how long the program takes from its start to the access window shown, against an
// empty Qt window's start in the same run: each a new process, started in turn, timed until
// it says its window is painted. The program runs on the demo installation beside it
// (embedded), made with CreaDemo when missing.

#include "BenchComune.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <cstdio>
#include <stdexcept>

namespace {

double Avvia(const QString& programma) {
    QProcess processo;
    processo.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer orologio;
    orologio.start();
    processo.start(programma, {});
    double ms = -1;
    while (processo.waitForReadyRead(30000)) {
        if (processo.readAll().contains("pronto")) {
            ms = static_cast<double>(orologio.nsecsElapsed()) / 1e6;
            break;
        }
    }
    processo.waitForFinished(30000);
    if (ms < 0 || processo.exitStatus() != QProcess::NormalExit || processo.exitCode() != 0)
        throw std::runtime_error((programma + QStringLiteral(" did not show its window and end cleanly")).toStdString());
    return ms;
}

void PreparaDemo(const QString& cartella) {
    if (QFile::exists(cartella + QStringLiteral("/user/user.fdb")))
        return;
    if (QProcess::execute(cartella + QStringLiteral("/CreaDemo"), {cartella}) != 0)
        throw std::runtime_error("CreaDemo could not make the demo installation");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    bench::Opzioni o;
    if (!bench::LeggiOpzioni(app, QStringLiteral("Program start to the access window, against an empty Qt window."),
                             15, o))
        return 2;
    const QString cartella = QCoreApplication::applicationDirPath();
    try {
        PreparaDemo(cartella);
        const QString programma = cartella + QStringLiteral("/bench_avvio_quendra");
        const QString vuota = cartella + QStringLiteral("/bench_avvio_vuoto");
        // Once each unmeasured: the files are in the page cache for both alike.
        Avvia(programma);
        Avvia(vuota);
        std::vector<double> nostro, riferimento;
        for (int giro = 0; giro < o.Giri; ++giro) {
            if (giro % 2 == 0) {
                nostro.push_back(Avvia(programma));
                riferimento.push_back(Avvia(vuota));
            } else {
                riferimento.push_back(Avvia(vuota));
                nostro.push_back(Avvia(programma));
            }
        }
        const double ms = bench::Mediana(nostro);
        const double vuotaMs = bench::Mediana(riferimento);
        std::printf("bench_avvio: a new process until its window is shown and painted, %s platform; median of %d "
                    "starts each, taken in turn\n\n",
                    qgetenv("QT_QPA_PLATFORM").constData(), o.Giri);
        std::printf("%-12s %-7s %8s %14s %7s  %s\n", "mode", "op", "ours ms", "empty win ms", "ratio", "target");
        std::printf("%-12s %-7s %8.1f %14.1f %7.3f  %s\n", "embedded", "start", ms, vuotaMs, ms / vuotaMs, "<= 1.5");
        std::printf("\nours: the program start as Quendra runs it, on the demo installation beside it, to the access "
                    "window. empty win: QApplication and an empty QWidget shown the same way.\n");
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "error: %s\n", e.what());
        return 1;
    }
}
