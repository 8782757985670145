// The end of the program when nobody closes it: a stop signal, or the display gone.

#include "app/BaseMain.h"

#include "app/Finestre.h"
#include "datamodule/TabX.h"
#include "piattaforma/Messaggi.h"

#include <QApplication>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <cstdlib>

namespace {

// How long dialogs open on top may take to go before the program ends without them.
constexpr int AttesaDialoghiMs = 3000;
constexpr int PassoAttesaMs = 50;

} // namespace

void TBaseMainForm::ChiudiPerSegnale() {
    ChiusuraForzata = true;
    // Nobody is there to answer: the libraries' windows roll their unsaved work back.
    if (TabXForm)
        TabXForm->ImpostaChiusuraSenzaDomande(true);
    // A dialog on top runs an event loop of its own, and the code that opened it still
    // needs the data module when it returns: dialogs go first, the close happens from
    // the main loop.
    if (QWidget* modale = QApplication::activeModalWidget())
        modale->close();
    const bool annidata = QThread::currentThread()->loopLevel() > 1 || QApplication::activeModalWidget();
    if (annidata && ++TentativiChiusuraForzata * PassoAttesaMs < AttesaDialoghiMs) {
        QTimer::singleShot(PassoAttesaMs, this, &TBaseMainForm::ChiudiPerSegnale);
        return;
    }
    if (annidata) {
        // A dialog that will not close: the databases are put in order and the process
        // ends here, with nothing run after.
        ChiudiSenzaSchermo();
        std::_Exit(0);
    }
    // A login still running defers the close to its end.
    close();
}

QWidget* TBaseMainForm::ChiudiFinestreAltrui() {
    QList<QPointer<QWidget>> finestre;
    for (QWidget* finestra : FinestreAltrui(this))
        finestre.append(finestra);
    for (const QPointer<QWidget>& finestra : finestre) {
        if (!finestra)
            continue; // gone with another one
        // Read first: the close takes the attribute away as it schedules the deletion.
        const bool daEliminare = finestra->testAttribute(Qt::WA_DeleteOnClose);
        if (!finestra->close()) {
            if (ChiusuraForzata)
                continue; // the databases are detached under it all the same
            return finestra;
        }
        if (finestra && daEliminare)
            delete finestra.data();
    }
    return nullptr;
}

bool TBaseMainForm::ChiudiFinestrePerCambio() {
    const QWidget* rimasta = ChiudiFinestreAltrui();
    if (rimasta)
        piattaforma::MostraAvviso(QStringLiteral("Operazione annullata: la finestra \"") + rimasta->windowTitle() +
                                  QStringLiteral("\" è rimasta aperta."));
    return rimasta == nullptr;
}

void TBaseMainForm::ChiudiSenzaSchermo() {
    if (!TabXForm)
        return;
    try {
        if (SessioneAperta)
            ChiudiSessione();
    } catch (...) {
        // Nothing can be reported any more; the databases are detached all the same.
    }
    DistruggiDataModule();
}
