// The program start.

#include "app/Applicazione.h"
#include "app/MessaggiQt.h"
#include "datamodule/TabX.h"

#include <QMainWindow>

int main(int argc, char** argv) {
    TApplicazione app(argc, argv);
    MessaggiQt messaggi;
    piattaforma::ImpostaMessaggi(&messaggi);

    QMainWindow finestra;
    finestra.setWindowTitle(QStringLiteral("Quendra"));
    finestra.resize(640, 480);
    TTabXForm tabx(&finestra, TTabXForm::SorgenteDatabase);
    try {
        tabx.Crea();
    } catch (const std::exception& e) {
        TApplicazione::MostraEccezione(e);
    }
    finestra.show();
    const int esito = app.exec();
    piattaforma::ImpostaMessaggi(nullptr);
    return esito;
}
