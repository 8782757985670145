// One workstation of a two-workstation run: the real program start on a throw-away
// installation, logged in as the user named, then driven by lines on its input:
//   lancia <entry>   runs entry <entry> of program 10; answers "aperta <window id>" when the
//                    library was called, else "rifiutata"
//   libera <id>      frees the semaphore of window <id>, as "Gestione semafori" does; "ok"
//   fine             ends the program as a close does
// Its first line is "entrato <session code>". Boxes are written to stderr and answered OK.
//   PostazioneDiProva <installation directory> <user> <password>

#include "app/BaseMain.h"
#include "app/Programma.h"
#include "datamodule/TabX.h"
#include "fb/Query.h"
#include "fb/Transazione.h"
#include "librerie/LetturaProva.h"
#include "piattaforma/Messaggi.h"
#include "piattaforma/Percorsi.h"
#include "piattaforma/Protezione.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSocketNotifier>

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

namespace {

class MessaggiSuErrore : public piattaforma::Messaggi {
public:
    piattaforma::Risposta Mostra(piattaforma::TipoMessaggio, const QString& testo, const QString&) override {
        std::fprintf(stderr, "box: %s\n", qPrintable(testo));
        ++Mostrati;
        return piattaforma::Risposta::Ok;
    }
    int Mostrati = 0;
};

void Rispondi(const QString& riga) {
    std::printf("%s\n", qPrintable(riga));
    std::fflush(stdout);
}

void Libera(TTabXForm& tabx, const QString& id) {
    fb::TTransazione transazione(&tabx.IBDatabase1);
    transazione.StartTransaction();
    fb::TQuery query(&tabx.IBDatabase1, &transazione);
    query.ImpostaSQL({QStringLiteral("UPDATE SEMAFORIF SET OCCUPATO=0 WHERE ID=") + id});
    query.ExecSQL();
    transazione.Commit();
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        return 2;
    piattaforma::ImpostaDirectoryEseguibile(QString::fromLocal8Bit(argv[1]));
    const QString utente = QString::fromUtf8(argv[2]);
    const QString password = QString::fromUtf8(argv[3]);
    MessaggiSuErrore messaggi;
    std::unique_ptr<prova::LibreriaProva> libreria;
    return EseguiProgramma(argc, argv, [&](TBaseMainForm& f) {
        piattaforma::ImpostaMessaggi(&messaggi);
        libreria = std::make_unique<prova::LibreriaProva>();
        f.ComboUtenti1->setCurrentIndex(f.ComboUtenti1->findText(utente));
        f.EditPassword1->setText(password);
        f.ButtonOk->click();
        Rispondi(QStringLiteral("entrato %1").arg(f.CodiceSessione));
        auto* ingresso = new QSocketNotifier(0, QSocketNotifier::Read, &f);
        QObject::connect(ingresso, &QSocketNotifier::activated, &f, [&f, libreria = libreria.get(), ingresso] {
            std::string riga;
            if (!std::getline(std::cin, riga) || riga == "fine") {
                ingresso->setEnabled(false);
                f.close();
                return;
            }
            const QStringList parti = QString::fromStdString(riga).split(u' ');
            if (parti.value(0) == QStringLiteral("lancia")) {
                const int prima = libreria->NumeroChiamate();
                // As a click: whatever fails is reported and ends this launch only.
                piattaforma::EseguiProtetto([&f, &parti] { f.EseguiFunzioneVoce(10, parti.value(1).toInt(), 1); });
                const bool aperta = libreria->NumeroChiamate() > prima;
                // The window identifier of this launch is the newest of the call log.
                if (!aperta) {
                    Rispondi(QStringLiteral("rifiutata"));
                    return;
                }
                QString id;
                piattaforma::EseguiProtetto([&f, &id] {
                    f.QueryAux->ApriSQL({QStringLiteral("SELECT MAX(IDFINESTRA) FROM KESTOLOGFUNZ WHERE CODICESESSIONE=") +
                                         QString::number(f.CodiceSessione)});
                    id = f.QueryAux->Fields(0).AsString();
                    f.QueryAux->Close();
                });
                Rispondi(QStringLiteral("aperta ") + id);
            } else if (parti.value(0) == QStringLiteral("libera")) {
                Libera(*f.TabXForm, parti.value(1));
                Rispondi(QStringLiteral("ok"));
            }
        });
    });
}
