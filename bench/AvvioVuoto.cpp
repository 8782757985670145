// The yardstick of bench_avvio: an empty Qt window started the same way, with the same line
// once it is shown and painted.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget finestra;
    finestra.resize(640, 480);
    finestra.show();
    QTimer::singleShot(0, &finestra, [] {
        QCoreApplication::processEvents();
        std::puts("pronto");
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    });
    return app.exec();
}
