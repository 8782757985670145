// The program start as the Quendra executable runs it, with one line on stdout once the
// access window is shown and painted, then the end: what bench_avvio times.

#include "app/BaseMain.h"
#include "app/Programma.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    return EseguiProgramma(argc, argv, [](TBaseMainForm&) {
        QCoreApplication::processEvents();
        std::puts("pronto");
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });
}
