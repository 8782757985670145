// The real program start on a throw-away installation, driven as a user would: it logs in
// as the user named and, when asked, runs one menu entry; then it waits like the program
// does. Boxes are written to stderr and answered OK, since nobody is there to see them.
//   ProgrammaDiProva <installation directory> <user> [<program> <entry> [modifica | salva <text>] | F9]
// F9 leaves the company dialog open, modal, once the login is done; modifica changes the
// first row's second column in the grid of the window the entry opened, unsaved; salva
// writes <text> there, presses "Salva" and ends the program as a close does.

#include "app/BaseMain.h"
#include "app/Programma.h"
#include "piattaforma/Messaggi.h"
#include "piattaforma/Percorsi.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {

class MessaggiSuErrore : public piattaforma::Messaggi {
public:
    piattaforma::Risposta Mostra(piattaforma::TipoMessaggio, const QString& testo, const QString&) override {
        std::fprintf(stderr, "box: %s\n", qPrintable(testo));
        return piattaforma::Risposta::Ok;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    piattaforma::ImpostaDirectoryEseguibile(QString::fromLocal8Bit(argv[1]));
    const QString utente = QString::fromLocal8Bit(argv[2]);
    const bool ditta = argc > 3 && QByteArray(argv[3]) == "F9";
    const int programma = argc > 4 ? std::atoi(argv[3]) : 0;
    const int voce = argc > 4 ? std::atoi(argv[4]) : 0;
    const bool salva = argc > 6 && QByteArray(argv[5]) == "salva";
    const bool modifica = salva || (argc > 5 && QByteArray(argv[5]) == "modifica");
    const QString testo = salva ? QString::fromLocal8Bit(argv[6]) : QStringLiteral("non salvato");
    MessaggiSuErrore messaggi;
    return EseguiProgramma(argc, argv, [&](TBaseMainForm& f) {
        piattaforma::ImpostaMessaggi(&messaggi);
        f.ComboUtenti1->setCurrentIndex(f.ComboUtenti1->findText(utente));
        f.ButtonOk->click();
        if (programma > 0)
            f.EseguiFunzioneVoce(programma, voce, 1);
        if (modifica)
            for (QWidget* finestra : QApplication::topLevelWidgets()) {
                auto* griglia = finestra->findChild<QAbstractItemView*>(QStringLiteral("Griglia"));
                if (!griglia)
                    continue;
                if (!griglia->model()->setData(griglia->model()->index(0, 1), testo)) {
                    std::fprintf(stderr, "edit refused\n");
                } else if (salva) {
                    if (auto* pulsante = finestra->findChild<QPushButton*>(QStringLiteral("ButtonSalva")))
                        pulsante->click();
                }
            }
        std::printf("entrato %d\n", f.CodiceSessione);
        std::fflush(stdout);
        if (ditta)
            QTimer::singleShot(0, &f, [&f] { f.CambioDitta(); });
        if (salva)
            QTimer::singleShot(0, &f, [&f] { f.close(); });
    });
}
