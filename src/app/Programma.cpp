#include "app/Programma.h"

#include "app/Applicazione.h"
#include "app/BaseMain.h"
#include "app/MessaggiQt.h"
#include "fb/Chiusura.h"
#include "piattaforma/Segnali.h"

#include <QTimer>

#include <cstdlib>

namespace {

TBaseMainForm* finestraViva = nullptr;

// exit() without a return from main: the display went away (the toolkit ends the process
// that way). The session is closed while the databases can still be reached; this runs
// before the database client's own clean-up, which was registered earlier.
void FineSenzaRitorno() {
    if (!finestraViva)
        return;
    piattaforma::ImpostaMessaggi(nullptr);
    finestraViva->ChiudiSenzaSchermo();
    finestraViva = nullptr;
}

} // namespace

int EseguiProgramma(int argc, char** argv, const std::function<void(TBaseMainForm&)>& pronto) {
    // Before any thread starts: every thread inherits the block.
    piattaforma::BloccaSegnaliDiFine();
    TApplicazione app(argc, argv);
    // Small-screen terminals start the program with --small.
    ModalitaProgramma = app.arguments().contains(QStringLiteral("--small")) ? QStringLiteral("SMALL")
                                                                            : QStringLiteral("STANDARD");
    MessaggiQt messaggi;
    piattaforma::ImpostaMessaggi(&messaggi);
    fb::RifiutaChiusuraDelClientSuSegnale();
    piattaforma::TSegnaliDiFine segnali;
    int esito = 0;
    {
        TBaseMainForm finestra;
        // Registered once the databases are open, so that it runs before the database
        // client's own clean-up at exit.
        static const bool registrata = std::atexit(FineSenzaRitorno) == 0;
        Q_UNUSED(registrata);
        finestraViva = &finestra;
        QObject::connect(&segnali, &piattaforma::TSegnaliDiFine::Ricevuto, &finestra,
                         &TBaseMainForm::ChiudiPerSegnale);
        finestra.show();
        if (pronto)
            QTimer::singleShot(0, &finestra, [&finestra, &pronto] { pronto(finestra); });
        esito = app.exec();
        finestraViva = nullptr;
    }
    piattaforma::ImpostaMessaggi(nullptr);
    return esito;
}
