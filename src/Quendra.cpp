// The program start.

#include "app/Applicazione.h"
#include "app/BaseMain.h"
#include "app/MessaggiQt.h"

int main(int argc, char** argv) {
    TApplicazione app(argc, argv);
    // Small-screen terminals start the program with --small.
    ModalitaProgramma = app.arguments().contains(QStringLiteral("--small")) ? QStringLiteral("SMALL")
                                                                            : QStringLiteral("STANDARD");
    MessaggiQt messaggi;
    piattaforma::ImpostaMessaggi(&messaggi);
    int esito = 0;
    {
        TBaseMainForm finestra;
        finestra.show();
        esito = app.exec();
    }
    piattaforma::ImpostaMessaggi(nullptr);
    return esito;
}
