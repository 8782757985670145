// The demo's editing window, launched from the menu of the real program: two workstations
// edit the same customer one at a time, new keys come from the generator, printing shows
// the preview.

#include "app/BarraProgrammi.h"
#include "app/BaseMain.h"
#include "datamodule/PulsanteStato.h"
#include "datamodule/TabX.h"
#include "fixture/Dialoghi.h"
#include "forms/Semafori.h"
#include "forms/SelezDitta.h"
#include "fixture/InstallazioneDemo.h"
#include "fixture/Installazione.h"
#include "fixture/MessaggiRegistrati.h"

#include <QAction>
#include <QCloseEvent>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QString AvvisoBlocco = QStringLiteral(
    "Attenzione: altri utenti stanno lavorando su questo record. Provare ad aggiornare la griglia. Nel caso in cui "
    "questo messaggio riapparisse, provare ad editare il record in un secondo momento.");

// One workstation: the menu window of a user, and the customers' window it opened.
struct Postazione {
    Postazione(const QString& utente, const QString& password) {
        finestra.show();
        finestra.NotebookMain->setCurrentWidget(finestra.ModalitaDefault);
        finestra.ComboUtenti1->setCurrentIndex(finestra.ComboUtenti1->findText(utente));
        finestra.EditPassword1->setText(password);
        QTest::mouseClick(finestra.ButtonOk, Qt::LeftButton);
        finestra.CaricaMenu(1);
        const QList<QWidget*> prima = QApplication::topLevelWidgets();
        for (QAction* voce : finestra.Voci)
            if (voce->data().toInt() == 16 && !voce->menu())
                voce->trigger();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (!prima.contains(w) && w->objectName() == QStringLiteral("ClientiForm"))
                clienti = w;
        if (clienti) {
            griglia = clienti->findChild<QTableView*>(QStringLiteral("Griglia"));
            stato = clienti->findChild<TPulsanteStato*>();
        }
    }
    ~Postazione() {
        if (clienti)
            clienti->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    bool Scrivi(int riga, const QString& testo) {
        griglia->setCurrentIndex(griglia->model()->index(riga, 1));
        return griglia->model()->setData(griglia->model()->index(riga, 1), testo);
    }
    QString Cella(int riga, int colonna) { return griglia->model()->index(riga, colonna).data().toString(); }
    void Premi(const char* pulsante) {
        QTest::mouseClick(clienti->findChild<QPushButton*>(QLatin1String(pulsante)), Qt::LeftButton);
    }

    TBaseMainForm finestra;
    QPointer<QWidget> clienti;
    QTableView* griglia = nullptr;
    TPulsanteStato* stato = nullptr;
};

class Anagrafica : public ::testing::Test {
protected:
    QString Archivio(const char* ditta) const {
        return installazione.Directory() + QStringLiteral("archivi/%1/archivio.fdb").arg(QLatin1String(ditta));
    }
    QString Citta(const char* ditta, int codice) const {
        return prova::InstallazioneDiProva::Valore(
            Archivio(ditta), QStringLiteral("SELECT CITTA FROM CLIFOR WHERE CODICE=%1").arg(codice));
    }
    QString Ditta() const {
        return prova::InstallazioneDiProva::Valore(installazione.FileUtenti(),
                                                   "SELECT DITTA FROM UTENTI WHERE NOMEUTENTE='ROSSI'");
    }
    QString Salvato(int codice) {
        return prova::InstallazioneDiProva::Valore(
            installazione.FileArchivio(),
            QStringLiteral("SELECT COALESCE(MAX(RAGIONESOCIALE), '<none>') FROM CLIFOR WHERE CODICE=%1").arg(codice));
    }

    prova::InstallazioneDemo installazione;
    MessaggiInstallati msg;
};

TEST_F(Anagrafica, TwoWorkstationsEditTheSameCustomerOneAtATime) {
    Postazione uno("ROSSI", "");
    Postazione due("D'ANGELO", QString::fromUtf8("Perù"));
    ASSERT_TRUE(uno.clienti && due.clienti) << msg->Testi().join('|').toStdString();
    ASSERT_NE(uno.finestra.TabXForm, due.finestra.TabXForm);
    EXPECT_EQ(uno.griglia->model()->rowCount(), 12);
    EXPECT_EQ(uno.stato->Tag, 0);
    msg->Svuota();

    EXPECT_TRUE(uno.Scrivi(2, "D'Angelo & Figli S.r.l."));
    EXPECT_EQ(uno.stato->Tag, 1);
    EXPECT_FALSE(due.Scrivi(2, "altro")) << "the row is locked by the first workstation";
    EXPECT_EQ(msg->Testi(), QStringList{AvvisoBlocco});
    EXPECT_EQ(due.Cella(2, 1), "D'Angelo & Figli S.n.c.");
    EXPECT_EQ(due.stato->Tag, 0);

    uno.Premi("ButtonSalva");
    EXPECT_EQ(uno.stato->Tag, 0);
    EXPECT_EQ(Salvato(3), "D'Angelo & Figli S.r.l.");
    EXPECT_EQ(uno.griglia->currentIndex().row(), 2) << "back on the customer it saved";

    due.Premi("ButtonAggiorna");
    EXPECT_EQ(due.Cella(2, 1), "D'Angelo & Figli S.r.l.");
    EXPECT_TRUE(due.Scrivi(2, "D'Angelo S.r.l."));
    due.Premi("ButtonSalva");
    EXPECT_EQ(Salvato(3), "D'Angelo S.r.l.");
    EXPECT_EQ(msg->Testi().size(), 1);
}

TEST_F(Anagrafica, ANewCustomerTakesTheGeneratorsKeyAndPrintingShowsThePreview) {
    Postazione p("ROSSI", "");
    ASSERT_TRUE(p.clienti);
    p.Premi("ButtonNuovo");
    EXPECT_EQ(p.stato->Tag, 1);
    EXPECT_EQ(p.griglia->model()->rowCount(), 13);
    EXPECT_EQ(p.griglia->currentIndex().row(), 12);
    EXPECT_EQ(p.Cella(12, 0), "13");
    EXPECT_TRUE(p.Scrivi(12, "Nuovo cliente"));
    p.Premi("ButtonSalva");
    EXPECT_EQ(Salvato(13), "Nuovo cliente");

    QString titolo;
    int righe = -1;
    QTimer::singleShot(200, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("AnteprimaStampa") && w->isVisible()) {
                titolo = w->windowTitle();
                righe = p.griglia->model()->rowCount();
                w->close();
            }
    });
    p.Premi("ButtonStampa");
    EXPECT_EQ(titolo, "Anteprima di stampa - Anagrafica clienti");
    EXPECT_EQ(righe, 13);
}

// A change of company or of user first closes the editing window through its own save
// question: the edit is saved in the window's own company or discarded, never carried into
// the next company's archive.
TEST_F(Anagrafica, AChangeOfCompanyOrUserClosesTheEditingWindowFirst) {
    struct Caso {
        const char* nome;
        Qt::Key tasto;
        piattaforma::Risposta risposta;
    };
    const QString originale = Citta("demo", 2);
    ASSERT_EQ(Citta("beta", 2), originale);
    for (const Caso& caso : {Caso{"F9, No", Qt::Key_F9, piattaforma::Risposta::No},
                             Caso{"F12, Yes", Qt::Key_F12, piattaforma::Risposta::Si},
                             Caso{"F8, No", Qt::Key_F8, piattaforma::Risposta::No}}) {
        SCOPED_TRACE(caso.nome);
        for (const char* ditta : {"demo", "beta"})
            prova::InstallazioneDiProva::Esegui(Archivio(ditta), {"UPDATE CLIFOR SET CITTA='" + originale +
                                                                  "' WHERE CODICE=2"});
        prova::InstallazioneDiProva::Esegui(installazione.FileUtenti(),
                                            {"UPDATE UTENTI SET DITTA='Alfa Costruzioni S.r.l.' WHERE "
                                             "NOMEUTENTE='ROSSI'"});
        Postazione p("ROSSI", "");
        ASSERT_TRUE(p.clienti) << msg->Testi().join('|').toStdString();
        const QString ditta = p.finestra.TabXForm->GetDitta();
        EXPECT_EQ(p.clienti->windowTitle(), "Anagrafica clienti - Ditta: " + ditta);
        msg->Svuota();
        p.griglia->setCurrentIndex(p.griglia->model()->index(1, 2));
        ASSERT_TRUE(p.griglia->model()->setData(p.griglia->model()->index(1, 2), "Città di Alfa"));
        msg->Rispondi(caso.risposta);
        if (caso.tasto == Qt::Key_F9)
            prova::QuandoSiApre<TSelezDittaForm>([](TSelezDittaForm& d) {
                d.ListBoxSelDitta->setCurrentRow(d.ListBoxSelDitta->count() - 1);
                d.ButtonOk->click();
            });
        QTest::keyRelease(p.finestra.MenuProgrammi, caso.tasto);
        EXPECT_EQ(msg->Testi(), QStringList{"Salvare le modifiche apportate?"});
        EXPECT_TRUE(p.clienti.isNull()) << "closed and gone before the change";
        EXPECT_EQ(Citta("demo", 2), caso.risposta == piattaforma::Risposta::Si ? "Città di Alfa" : originale);
        EXPECT_EQ(Citta("beta", 2), originale) << "nothing reaches the other company";
        if (caso.tasto == Qt::Key_F8)
            EXPECT_EQ(p.finestra.windowTitle(), "Autenticazione");
        else
            EXPECT_NE(p.finestra.TabXForm->GetDitta(), ditta);
    }
}

// A window that will not close keeps the change from happening: same company, same archive.
TEST_F(Anagrafica, AWindowThatStaysOpenCancelsTheChange) {
    class Ostinata : public QWidget {
    protected:
        void closeEvent(QCloseEvent* evento) override { evento->ignore(); }
    };
    Postazione p("ROSSI", "");
    ASSERT_TRUE(p.clienti);
    const QString ditta = p.finestra.TabXForm->GetDitta();
    const quint64 epoca = p.finestra.TabXForm->IBDatabase1.Epoca();
    p.clienti->close();
    Ostinata ostinata;
    ostinata.setWindowTitle("Ostinata");
    ostinata.show();
    msg->Svuota();
    QTest::keyRelease(p.finestra.MenuProgrammi, Qt::Key_F12);
    EXPECT_EQ(msg->Testi(), QStringList{"Operazione annullata: la finestra \"Ostinata\" è rimasta aperta."});
    EXPECT_EQ(p.finestra.TabXForm->GetDitta(), ditta);
    EXPECT_EQ(Ditta(), ditta);
    EXPECT_EQ(p.finestra.TabXForm->IBDatabase1.Epoca(), epoca) << "the archive was not reopened";
    ostinata.hide();
}

// The semaphore window works in a transaction of its own: the edit and its lock stay.
TEST_F(Anagrafica, TheSemaphoreWindowLeavesAnEditAndItsLockAlone) {
    Postazione uno("ROSSI", "");
    Postazione due("D'ANGELO", QString::fromUtf8("Perù"));
    ASSERT_TRUE(uno.clienti && due.clienti);
    EXPECT_TRUE(uno.Scrivi(2, "In modifica S.r.l."));
    bool aperta = false;
    prova::QuandoSiApre<TSemaforiForm>([&](TSemaforiForm& f) {
        aperta = true;
        f.reject();
    });
    uno.finestra.GestioneSemafori1Click();
    EXPECT_TRUE(aperta);
    EXPECT_EQ(uno.stato->Tag, 1);
    msg->Svuota();
    EXPECT_FALSE(due.Scrivi(2, "altro")) << "still locked";
    EXPECT_EQ(msg->Testi(), QStringList{AvvisoBlocco});
    uno.Premi("ButtonSalva");
    EXPECT_EQ(Salvato(3), "In modifica S.r.l.");
}

} // namespace
