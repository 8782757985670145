// Saves pictures of the access window, as the demo installation shows it, for people to
// look at: both login pages, the compact layout of a 1024 x 768 terminal and of smaller
// ones, and the menus of ROSSI and of the terminal user MAGAZZINO.

#include "app/Applicazione.h"
#include "app/BaseMain.h"
#include "app/Schermo.h"
#include "forms/AbilitaDitte.h"
#include "forms/MemoNorvane.h"
#include "forms/SceltaDisco.h"
#include "forms/SelDir.h"
#include "forms/Semafori.h"
#include "forms/SelezDitta.h"
#include "forms/Sessioni.h"
#include "piattaforma/Messaggi.h"
#include "piattaforma/Segnali.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

// Nobody is there to answer: boxes are written out and answered OK.
class MessaggiSuErrore : public piattaforma::Messaggi {
public:
    piattaforma::Risposta Mostra(piattaforma::TipoMessaggio, const QString& testo,
                                 const QString&) override {
        std::fprintf(stderr, "box: %s\n", qPrintable(testo));
        return piattaforma::Risposta::Ok;
    }
};

void FotografaDialogo(QWidget& dialogo, const QString& file, bool chiudi = true) {
    dialogo.show();
    QApplication::processEvents();
    const bool salvata = dialogo.grab().save(file);
    std::printf("%s %s\n", salvata ? "saved" : "NOT SAVED", qPrintable(file));
    if (chiudi)
        dialogo.close();
}

bool Fotografa(const QString& file, const std::function<void(TBaseMainForm&)>& prepara) {
    TBaseMainForm finestra;
    prepara(finestra);
    finestra.show();
    QApplication::processEvents();
    const bool salvata = finestra.grab().save(file);
    std::printf("%s %s\n", salvata ? "saved" : "NOT SAVED", qPrintable(file));
    // Library windows first: the menu window does not close over them.
    for (QWidget* altra : QApplication::topLevelWidgets())
        if (altra != &finestra && altra->isVisible())
            altra->close();
    QApplication::processEvents();
    finestra.close();
    return salvata;
}

QWidget* FinestraAperta(const QString& oggetto) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == oggetto && w->isVisible())
            return w;
    return nullptr;
}

// The demo's editing window on the customers, with a row being edited (red status), and the
// print preview of its printing button.
void FotografaAnagrafica(TBaseMainForm& f, const QString& cartella) {
    f.CaricaMenu(1);
    for (QAction* voce : f.Voci)
        if (voce->data().toInt() == 16 && !voce->menu())
            voce->trigger();
    QApplication::processEvents();
    QWidget* clienti = FinestraAperta(QStringLiteral("ClientiForm"));
    if (clienti == nullptr) {
        std::printf("NOT SAVED: the customers' window did not open\n");
        return;
    }
    auto* griglia = clienti->findChild<QTableView*>(QStringLiteral("Griglia"));
    const QModelIndex cella = griglia->model()->index(2, 1);
    griglia->setCurrentIndex(cella);
    griglia->model()->setData(cella, QStringLiteral("D'Angelo & Figli S.r.l."));
    QApplication::processEvents();
    FotografaDialogo(*clienti, cartella + QStringLiteral("/anagrafica-clienti.png"), false);
    QTimer::singleShot(300, [&cartella] {
        if (QWidget* anteprima = FinestraAperta(QStringLiteral("AnteprimaStampa"))) {
            const QString file = cartella + QStringLiteral("/anteprima-stampa.png");
            std::printf("%s %s\n", anteprima->grab().save(file) ? "saved" : "NOT SAVED", qPrintable(file));
            anteprima->close();
        }
    });
    clienti->findChild<QPushButton*>(QStringLiteral("ButtonStampa"))->click();
    clienti->close(); // the question to save is answered No: the edit is rolled back
}

} // namespace

int main(int argc, char** argv) {
    // Nothing to close: a stop signal ends it at once, whatever the database client does.
    piattaforma::FineImmediataSuSegnale();
    TApplicazione app(argc, argv);
    MessaggiSuErrore messaggi;
    piattaforma::ImpostaMessaggi(&messaggi);
    const QString cartella = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("fotografie");
    QDir().mkpath(cartella);

    bool tutte = Fotografa(cartella + QStringLiteral("/accesso-standard.png"), [](TBaseMainForm&) {});
    tutte &= Fotografa(cartella + QStringLiteral("/accesso-lista.png"), [](TBaseMainForm& f) {
        f.NotebookMain->setCurrentWidget(f.ModalitaLista);
    });
    // D'ANGELO may choose the disk: his page shows the button, and the dialog its drives.
    tutte &= Fotografa(cartella + QStringLiteral("/accesso-scelta-disco.png"), [&cartella](TBaseMainForm& f) {
        f.ComboUtenti1->setCurrentIndex(f.ComboUtenti1->findText(QStringLiteral("D'ANGELO")));
        TSceltaDiscoForm disco(&f);
        disco.ImpostaDisco(QStringLiteral("c"));
        FotografaDialogo(disco, cartella + QStringLiteral("/scelta-disco.png"));
    });
    // ROSSI's login opens the agenda too: its window is saved as well.
    tutte &= Fotografa(cartella + QStringLiteral("/menu-standard.png"), [&cartella](TBaseMainForm& f) {
        f.ComboUtenti1->setCurrentIndex(f.ComboUtenti1->findText(QStringLiteral("ROSSI")));
        f.show();
        QTest::mouseClick(f.ButtonOk, Qt::LeftButton);
        QApplication::processEvents();
        for (QWidget* altra : QApplication::topLevelWidgets())
            if (altra != &f && altra->isVisible() && !altra->windowTitle().isEmpty())
                altra->grab().save(cartella + QStringLiteral("/finestra-") +
                                   altra->windowTitle().left(20).replace(QLatin1Char(' '), QLatin1Char('-')) +
                                   QStringLiteral(".png"));
        FotografaAnagrafica(f, cartella);
        TSelezDittaForm ditta(&f, f.Modalita, f.TabXForm);
        FotografaDialogo(ditta, cartella + QStringLiteral("/selezione-ditta.png"));
        // The "Sistema" windows, each with one row marked.
        TSessioniForm sessioni(&f, f.TabXForm);
        sessioni.CommutaRigaCorrente();
        FotografaDialogo(sessioni, cartella + QStringLiteral("/sessioni.png"));
        TSemaforiForm semafori(&f, f.TabXForm);
        semafori.CommutaRigaCorrente();
        FotografaDialogo(semafori, cartella + QStringLiteral("/semafori.png"));
        TMemoNorvaneForm norvane(&f, f.TabXForm);
        FotografaDialogo(norvane, cartella + QStringLiteral("/norvane.png"));
        TAbilitaDitteForm ditte(&norvane, f.TabXForm);
        FotografaDialogo(ditte, cartella + QStringLiteral("/abilita-ditte.png"));
        TSelDirForm percorso(&norvane);
        FotografaDialogo(percorso, cartella + QStringLiteral("/selezione-percorso.png"));
    });
    ModalitaProgramma = QStringLiteral("SMALL");
    ImpostaDimensioneSchermo(QSize(1024, 768));
    tutte &= Fotografa(cartella + QStringLiteral("/accesso-compatto.png"), [](TBaseMainForm& f) {
        f.NotebookMain->setCurrentWidget(f.ModalitaLista);
    });
    ImpostaDimensioneSchermo(QSize(480, 640));
    tutte &= Fotografa(cartella + QStringLiteral("/accesso-compatto-480x640.png"), [](TBaseMainForm& f) {
        f.NotebookMain->setCurrentWidget(f.ModalitaLista);
    });
    ImpostaDimensioneSchermo(QSize(230, 300));
    tutte &= Fotografa(cartella + QStringLiteral("/accesso-compatto-default-230x300.png"), [](TBaseMainForm& f) {
        f.NotebookMain->setCurrentWidget(f.ModalitaDefault);
    });
    ImpostaDimensioneSchermo(QSize(1024, 768));
    tutte &= Fotografa(cartella + QStringLiteral("/accesso-compatto-default.png"), [](TBaseMainForm& f) {
        f.NotebookMain->setCurrentWidget(f.ModalitaDefault);
        f.ComboUtenti1->setCurrentIndex(f.ComboUtenti1->findText(QStringLiteral("MAGAZZINO")));
    });
    tutte &= Fotografa(cartella + QStringLiteral("/menu-compatto.png"), [&cartella](TBaseMainForm& f) {
        f.ListaUtenti2->setCurrentRow(0);
        f.NotebookMain->setCurrentWidget(f.ModalitaLista);
        f.show();
        QTest::mouseClick(f.ButtonOK2, Qt::LeftButton);
        QApplication::processEvents();
        // The company dialog as F9 shows it on the terminal: scaled, then set to 230 x 300.
        TSelezDittaForm ditta(&f, f.Modalita, f.TabXForm);
        ditta.resize(230, 300);
        FotografaDialogo(ditta, cartella + QStringLiteral("/selezione-ditta-compatta.png"));
    });
    // The terminal user, with the big buttons of his own project.
    const auto entraMagazzino = [](TBaseMainForm& f) {
        const QList<QListWidgetItem*> righe = f.ListaUtenti2->findItems(QStringLiteral("MAGAZZINO"), Qt::MatchExactly);
        if (!righe.isEmpty())
            f.ListaUtenti2->setCurrentItem(righe.first());
        f.NotebookMain->setCurrentWidget(f.ModalitaLista);
        f.show();
        QTest::mouseClick(f.ButtonOK2, Qt::LeftButton);
        QApplication::processEvents();
    };
    tutte &= Fotografa(cartella + QStringLiteral("/menu-compatto-magazzino.png"), entraMagazzino);
    for (const QSize& schermo : {QSize(480, 640), QSize(230, 300)}) {
        ImpostaDimensioneSchermo(schermo);
        tutte &= Fotografa(cartella + QStringLiteral("/menu-compatto-magazzino-%1x%2.png")
                                          .arg(schermo.width())
                                          .arg(schermo.height()),
                           entraMagazzino);
    }
    piattaforma::ImpostaMessaggi(nullptr);
    return tutte ? 0 : 1;
}
