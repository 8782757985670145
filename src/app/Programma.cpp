#include "app/Programma.h"

#include "app/Applicazione.h"
#include "app/BaseMain.h"
#include "app/MessaggiQt.h"
#include "fb/Chiusura.h"
#include "piattaforma/Messaggi.h"
#include "piattaforma/Segnali.h"

#include <QApplication>
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

// Once the program is ending on a signal nobody is there to answer: every box is let go
// unseen, a question answered No.
class TMessaggiSenzaRisposta : public piattaforma::Messaggi {
public:
    piattaforma::Risposta Mostra(piattaforma::TipoMessaggio tipo, const QString&, const QString&) override {
        return tipo == piattaforma::TipoMessaggio::Conferma ? piattaforma::Risposta::No : piattaforma::Risposta::Ok;
    }
};

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
    TMessaggiSenzaRisposta senzaRisposta;
    fb::RifiutaChiusuraDelClientSuSegnale();
    piattaforma::TSegnaliDiFine segnali;
    // A signal during the start-up (a box of its own waiting for an answer) ends the program
    // as soon as the window is built: the box goes, and no other is shown.
    bool fineRichiesta = false;
    TBaseMainForm* costruita = nullptr;
    QObject::connect(&segnali, &piattaforma::TSegnaliDiFine::Ricevuto, &app, [&] {
        if (costruita) {
            costruita->ChiudiPerSegnale();
            return;
        }
        fineRichiesta = true;
        piattaforma::ImpostaMessaggi(&senzaRisposta);
        if (QWidget* modale = QApplication::activeModalWidget())
            modale->close();
    });
    int esito = 0;
    {
        TBaseMainForm finestra;
        // Registered once the databases are open, so that it runs before the database
        // client's own clean-up at exit.
        static const bool registrata = std::atexit(FineSenzaRitorno) == 0;
        Q_UNUSED(registrata);
        if (fineRichiesta) {
            piattaforma::ImpostaMessaggi(nullptr);
            return 0; // nobody logged in yet: the window's end detaches the databases
        }
        finestraViva = &finestra;
        costruita = &finestra;
        finestra.show();
        if (pronto)
            QTimer::singleShot(0, &finestra, [&finestra, &pronto] { pronto(finestra); });
        esito = app.exec();
        finestraViva = nullptr;
        costruita = nullptr;
    }
    piattaforma::ImpostaMessaggi(nullptr);
    return esito;
}
