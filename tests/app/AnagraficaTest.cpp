// The demo's editing window, launched from the menu of the real program: two workstations
// edit the same customer one at a time, new keys come from the generator, printing shows
// the preview.

#include "app/BaseMain.h"
#include "datamodule/PulsanteStato.h"
#include "fixture/InstallazioneDemo.h"
#include "fixture/Installazione.h"
#include "fixture/MessaggiRegistrati.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
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
    QWidget* clienti = nullptr;
    QTableView* griglia = nullptr;
    TPulsanteStato* stato = nullptr;
};

class Anagrafica : public ::testing::Test {
protected:
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

} // namespace
