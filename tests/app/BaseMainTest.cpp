#include "app/BaseMain.h"
#include "app/ModalitaPerProva.h"
#include "app/BarraProgrammi.h"
#include "app/RegoleAccesso.h"
#include "app/Schermo.h"
#include "app/SpinButton.h"
#include "datamodule/TabX.h"
#include "fixture/Installazione.h"
#include "fixture/MessaggiRegistrati.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using prova::InstallazioneDiProva;

namespace {

QStringList Voci(const QComboBox* combo) {
    QStringList voci;
    for (int i = 0; i < combo->count(); ++i)
        voci << combo->itemText(i);
    return voci;
}

QStringList Voci(const QListWidget* lista) {
    QStringList voci;
    for (int i = 0; i < lista->count(); ++i)
        voci << lista->item(i)->text();
    return voci;
}

// Users of every kind, inserted out of key order: the lists follow CODICE.
void InserisciUtenti(const InstallazioneDiProva& installazione) {
    InstallazioneDiProva::Esegui(
        installazione.FileUtenti(),
        {"INSERT INTO UTENTI (CODICE, NOMEUTENTE, INFO1, UTENTEINATTIVO) VALUES (6, 'TERMINALE', 'TERM', '0')",
         "INSERT INTO UTENTI (CODICE, NOMEUTENTE, INFO1, UTENTEINATTIVO) VALUES (1, 'LIBERO', NULL, NULL)",
         "INSERT INTO UTENTI (CODICE, NOMEUTENTE, INFO1, UTENTEINATTIVO) VALUES (2, 'D''Angelo è€', 'PC', '0')",
         "INSERT INTO UTENTI (CODICE, NOMEUTENTE, INFO1, UTENTEINATTIVO) VALUES (3, 'MINUSCOLO', 'pc', NULL)",
         "INSERT INTO UTENTI (CODICE, NOMEUTENTE, INFO1, UTENTEINATTIVO) VALUES (4, 'SPENTO', NULL, '1')",
         "INSERT INTO UTENTI (CODICE, NOMEUTENTE, INFO1, UTENTEINATTIVO) VALUES (5, 'VUOTO', '', ' ')"});
}

TEST(BaseMain, ListsTheUsersOfTheModeInKeyOrderInBothLists) {
    struct Caso {
        const char* modalita;
        bool senzaColonnaInattivo;
        QStringList elencati;
    };
    const Caso casi[] = {
        {"STANDARD", false, {"LIBERO", "D'Angelo è€"}},
        {"SMALL", false, {"LIBERO", "TERMINALE"}},
        // Without the column every user counts, " " included.
        {"STANDARD", true, {"LIBERO", "D'Angelo è€", "SPENTO", "VUOTO"}},
        {"SMALL", true, {"LIBERO", "SPENTO", "VUOTO", "TERMINALE"}},
        {"ALTRO", false, {}},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(QStringLiteral("%1 %2").arg(caso.modalita).arg(caso.senzaColonnaInattivo).toStdString());
        InstallazioneDiProva installazione;
        InserisciUtenti(installazione);
        if (caso.senzaColonnaInattivo)
            InstallazioneDiProva::Esegui(installazione.FileUtenti(), {"ALTER TABLE UTENTI DROP UTENTEINATTIVO"});
        ModalitaPerProva modalita(caso.modalita);
        ImpostaDimensioneSchermo(QSize(1024, 768));
        MessaggiInstallati msg;
        TBaseMainForm finestra;
        EXPECT_EQ(Voci(finestra.ComboUtenti1), caso.elencati);
        EXPECT_EQ(Voci(finestra.ListaUtenti2), caso.elencati);
        EXPECT_EQ(finestra.ComboUtenti1->currentIndex(), -1);
        EXPECT_EQ(finestra.ListaUtenti2->currentRow(), caso.elencati.isEmpty() ? -1 : 0);
        EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    }
}

TEST(BaseMain, WindowColumnsOfTheCallLogNeedBothColumns) {
    struct Caso {
        QStringList togli;
        bool logFinestre;
    };
    const Caso casi[] = {
        {{}, true},
        {{"ALTER TABLE KESTOLOGFUNZ DROP IDFINESTRA"}, false},
        {{"ALTER TABLE KESTOLOGFUNZ DROP HANDLEFINESTRA"}, false},
        {{"ALTER TABLE KESTOLOGFUNZ DROP IDFINESTRA", "ALTER TABLE KESTOLOGFUNZ DROP HANDLEFINESTRA"}, false},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.togli.join(';').toStdString());
        InstallazioneDiProva installazione;
        if (!caso.togli.isEmpty())
            InstallazioneDiProva::Esegui(installazione.FileUtenti(), caso.togli);
        TBaseMainForm finestra;
        EXPECT_EQ(finestra.LogFinestre, caso.logFinestre);
        EXPECT_EQ(finestra.Modalita, QStringLiteral("STANDARD"));
        EXPECT_FALSE(finestra.SessioneAperta);
        EXPECT_FALSE(finestra.MantieniStdMin);
    }
}

TEST(BaseMain, InterfacciaAccessoChoosesThePageForEverybody) {
    struct Caso {
        QStringList istruzioni;
        bool lista;
    };
    const Caso casi[] = {
        {{}, false},
        // Not per user: a row of any user decides.
        {{"INSERT INTO TABX (CODICE, NOME, TESTO, UTENTE) VALUES (1, 'InterfacciaAccesso', '1', 7)"}, true},
        {{"INSERT INTO TABX (CODICE, NOME, TESTO) VALUES (1, 'InterfacciaAccesso', '1 ')"}, false},
        {{"INSERT INTO TABX (CODICE, NOME, TESTO) VALUES (1, 'InterfacciaAccesso', '0')"}, false},
        // No TABX at all: the error is ignored.
        {{"DROP TABLE TABX"}, false},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.istruzioni.join(';').toStdString());
        InstallazioneDiProva installazione;
        if (!caso.istruzioni.isEmpty())
            InstallazioneDiProva::Esegui(installazione.FileUtenti(), caso.istruzioni);
        MessaggiInstallati msg;
        TBaseMainForm finestra;
        EXPECT_EQ(finestra.NotebookMain->currentWidget(),
                  caso.lista ? finestra.ModalitaLista : finestra.ModalitaDefault);
        EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    }
}

TEST(BaseMain, StartStoresTheArchiveOfUserZeroAndWarnsAboutMissingGrafica) {
    InstallazioneDiProva installazione;
    InstallazioneDiProva::Esegui(
        installazione.FileUtenti(),
        {"INSERT INTO TABNORVANE (UTENTE, INTESTAZIONE, PARAMETRO, VALORE, PROGRESSIVO) "
         "VALUES (0, '', 'Archivio', 'C:\\Dati\\L''Archivio.fdb', 1)"});
    QDir(installazione.Directory() + QStringLiteral("Grafica")).removeRecursively();
    MessaggiInstallati msg;
    TBaseMainForm finestra;
    EXPECT_EQ(msg->Testi(), QStringList{QStringLiteral("Directory \"Grafica\" mancante")});
    EXPECT_EQ(msg->Mostrati.at(0).tipo, piattaforma::TipoMessaggio::Avviso);
    ASSERT_NE(finestra.TabXForm, nullptr);
    EXPECT_EQ(finestra.TabXForm->GetV(QStringLiteral("Archivio")), QStringLiteral("C:\\Dati\\L'Archivio.fdb"));
    const RigaMemTabX& riga = finestra.TabXForm->MemTabX.Riga(finestra.TabXForm->MemTabX.RigaCorrente());
    EXPECT_EQ(riga.Tipo, QStringLiteral("QVR"));
    EXPECT_EQ(riga.Utente, std::optional<qint16>(0));
}

// A users database just created by the program has no tables: the start stops at the
// archive parameter, its error is reported, and nobody can be chosen.
TEST(BaseMain, EmptyUsersDatabaseOpensTheWindowWithoutUsers) {
    InstallazioneDiProva installazione({.DatabaseUtenti = false, .Archivio = false});
    MessaggiInstallati msg;
    TBaseMainForm finestra;
    ASSERT_EQ(msg->Mostrati.size(), 2u) << msg->Testi().join('|').toStdString();
    EXPECT_EQ(msg->Mostrati[0].testo, QStringLiteral("Effettuata creazione data base"));
    EXPECT_EQ(msg->Mostrati[1].tipo, piattaforma::TipoMessaggio::Errore);
    EXPECT_TRUE(msg->Mostrati[1].testo.contains(QStringLiteral("TABNORVANE"))) << msg->Mostrati[1].testo.toStdString();
    EXPECT_EQ(finestra.ComboUtenti1->count(), 0);
    EXPECT_EQ(finestra.ListaUtenti2->count(), 0);
    EXPECT_EQ(finestra.GetNomeUtente(), QString());
    finestra.close();
    EXPECT_EQ(finestra.TabXForm, nullptr);
}

class AccessoConUtenti : public ::testing::Test {
protected:
    void SetUp() override {
        InstallazioneDiProva::Esegui(
            installazione.FileUtenti(),
            {"INSERT INTO UTENTI (CODICE, NOMEUTENTE, PWDUTENTE, ABILITASCELTADISCO) VALUES (1, 'PRIMO', 'p', NULL)",
             "INSERT INTO UTENTI (CODICE, NOMEUTENTE, PWDUTENTE, ABILITASCELTADISCO) VALUES (2, 'L''ALTRO', 'p', '1')",
             "INSERT INTO UTENTI (CODICE, NOMEUTENTE, PWDUTENTE, ABILITASCELTADISCO) VALUES (3, 'TERZO', 'p', '0')",
             "INSERT INTO TABX (CODICE, NOME, TESTO) VALUES (1, 'InterfacciaAccesso', '1')"});
        finestra = std::make_unique<TBaseMainForm>();
    }

    bool SceltaDiscoVisibile() const {
        EXPECT_EQ(finestra->ButtonSceltaDisco->isHidden(), finestra->ButtonSceltaDisco2->isHidden());
        return !finestra->ButtonSceltaDisco2->isHidden();
    }

    InstallazioneDiProva installazione;
    std::unique_ptr<TBaseMainForm> finestra;
};

TEST_F(AccessoConUtenti, SpinButtonsMoveWithinTheListAndTheDiskChoiceFollowsTheUser) {
    ASSERT_EQ(finestra->NotebookMain->currentWidget(), finestra->ModalitaLista);
    // Visible at start whoever is preselected; it follows the user from the first change.
    EXPECT_EQ(finestra->GetNomeUtente(), QStringLiteral("PRIMO"));
    EXPECT_FALSE(finestra->ButtonSceltaDisco2->isHidden());
    EXPECT_TRUE(finestra->ButtonSceltaDisco->isHidden());

    emit finestra->SpinButtonLista->UpClick();
    EXPECT_EQ(finestra->ListaUtenti2->currentRow(), 0);
    EXPECT_FALSE(SceltaDiscoVisibile());

    emit finestra->SpinButtonLista->DownClick();
    EXPECT_EQ(finestra->GetNomeUtente(), QStringLiteral("L'ALTRO"));
    EXPECT_TRUE(SceltaDiscoVisibile());

    emit finestra->SpinButtonLista->DownClick();
    emit finestra->SpinButtonLista->DownClick();
    EXPECT_EQ(finestra->GetNomeUtente(), QStringLiteral("TERZO"));
    EXPECT_FALSE(SceltaDiscoVisibile());

    // A click in the list counts as a change of selection too.
    QListWidgetItem* altro = finestra->ListaUtenti2->item(1);
    const QRect posto = finestra->ListaUtenti2->visualItemRect(altro);
    QTest::mouseClick(finestra->ListaUtenti2->viewport(), Qt::LeftButton, {}, posto.center());
    EXPECT_EQ(finestra->GetNomeUtente(), QStringLiteral("L'ALTRO"));
    EXPECT_TRUE(SceltaDiscoVisibile());
}

TEST_F(AccessoConUtenti, NamesAndPasswordsComeFromTheShownPage) {
    finestra->SetPassword(QStringLiteral("Perù'"));
    EXPECT_EQ(finestra->EditPassword1->text(), QStringLiteral("Perù'"));
    EXPECT_EQ(finestra->EditPassword2->text(), QStringLiteral("Perù'"));
    finestra->EditPassword2->setText(QStringLiteral("lista"));
    EXPECT_EQ(finestra->GetPassword(), QStringLiteral("lista"));
    finestra->ListaUtenti2->clearSelection();
    EXPECT_EQ(finestra->GetNomeUtente(), QString()) << "no selected row, no name";

    finestra->NotebookMain->setCurrentWidget(finestra->ModalitaDefault);
    EXPECT_EQ(finestra->GetNomeUtente(), QString());
    EXPECT_EQ(finestra->GetPassword(), QStringLiteral("Perù'"));
    finestra->ComboUtenti1->setCurrentIndex(1);
    EXPECT_EQ(finestra->GetNomeUtente(), QStringLiteral("L'ALTRO"));
    EXPECT_TRUE(SceltaDiscoVisibile()) << "the combo's change runs the same handler";
    finestra->ComboUtenti1->setCurrentIndex(2);
    EXPECT_FALSE(SceltaDiscoVisibile());
}

// Every user has a password and none is typed: each press is a refused login.
TEST_F(AccessoConUtenti, EnterAnywhereOnAPagePressesItsDefaultButton) {
    MessaggiInstallati msg;
    int premutoOk = 0, premutoOk2 = 0;
    QObject::connect(finestra->ButtonOk, &QPushButton::clicked, [&] { ++premutoOk; });
    QObject::connect(finestra->ButtonOK2, &QPushButton::clicked, [&] { ++premutoOk2; });
    finestra->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(finestra.get()));

    QTest::keyClick(finestra->ListaUtenti2, Qt::Key_Return);
    QTest::keyClick(finestra->EditPassword2, Qt::Key_Enter);
    EXPECT_EQ(premutoOk2, 2);
    QTest::keyClick(finestra->EditPassword2, Qt::Key_A);
    EXPECT_EQ(premutoOk2, 2) << "other keys are the field's";

    finestra->NotebookMain->setCurrentWidget(finestra->ModalitaDefault);
    QTest::keyClick(finestra->ComboUtenti1, Qt::Key_Return);
    QTest::keyClick(finestra->EditPassword1, Qt::Key_Return);
    EXPECT_EQ(premutoOk, 2);
    EXPECT_EQ(premutoOk2, 2);
    EXPECT_EQ(msg->Testi(), QStringList(4, QStringLiteral("Accesso negato: scegliere un'utente ed inserire "
                                                          "l'eventuale password. Fare attenzione al maiuscolo / "
                                                          "minuscolo")));
}

TEST(BaseMain, CompactLayoutIsScaledToTheScreen) {
    InstallazioneDiProva installazione;
    InstallazioneDiProva::Esegui(installazione.FileUtenti(),
                                 {"INSERT INTO UTENTI (CODICE, NOMEUTENTE, ABILITASCELTADISCO) VALUES (1, 'PRIMO', '1')",
                                  "INSERT INTO UTENTI (CODICE, NOMEUTENTE, ABILITASCELTADISCO) VALUES (2, 'SECONDO', '1')"});
    ModalitaPerProva modalita(QStringLiteral("SMALL"));
    ImpostaDimensioneSchermo(QSize(1024, 768));
    TBaseMainForm finestra;
    EXPECT_EQ(finestra.Modalita, QStringLiteral("SMALL"));
    EXPECT_EQ(finestra.size(), QSize(589, 768)); // 230 x 300 by 2.56
    EXPECT_EQ(finestra.pos(), QPoint(0, 0));
    EXPECT_EQ(finestra.ListaUtenti2->geometry(), QRect(3, 77, 282, 512));
    EXPECT_EQ(finestra.ListaUtenti2->font().pointSize(), 26); // 10 by 2.56
    EXPECT_EQ(finestra.ButtonOK2->geometry(), QRect(294, 461, 256, 128));
    EXPECT_EQ(finestra.MenuProgrammi->FontVoci(), 20);
    EXPECT_EQ(finestra.MenuProgrammi->LimiteGruppi(), 0);
    EXPECT_TRUE(finestra.ButtonSceltaDisco2->isHidden());
    EXPECT_TRUE(finestra.LabelCambioUtente->isHidden());
    EXPECT_TRUE(finestra.LabelCambioDitta->isHidden());
    // The disk choice does not follow the user on a terminal.
    emit finestra.SpinButtonLista->DownClick();
    EXPECT_EQ(finestra.ListaUtenti2->currentRow(), 1);
    EXPECT_TRUE(finestra.ButtonSceltaDisco2->isHidden());
}

// Named controls the user can see that do not lie wholly within the window's client area,
// and the names of those that do.
struct ControlliVisti {
    QStringList dentro;
    QStringList fuori;
};

ControlliVisti Controlli(QMainWindow& finestra) {
    ControlliVisti visti;
    for (QWidget* controllo : finestra.findChildren<QWidget*>()) {
        const QString nome = controllo->objectName();
        if (nome.isEmpty() || nome.startsWith(QStringLiteral("qt_")) || !controllo->isVisibleTo(&finestra))
            continue;
        const QRect posto(controllo->mapTo(&finestra, QPoint(0, 0)), controllo->size());
        if (finestra.rect().contains(posto))
            visti.dentro << nome;
        else
            visti.fuori << QStringLiteral("%1 at %2,%3 %4x%5")
                               .arg(nome)
                               .arg(posto.x())
                               .arg(posto.y())
                               .arg(posto.width())
                               .arg(posto.height());
    }
    return visti;
}

// 230 x 300 is the design itself (scale 1); 320 x 240 scales it down.
TEST(BaseMain, CompactLayoutKeepsBothPagesInsideTheWindowOnEveryScreen) {
    InstallazioneDiProva installazione;
    InstallazioneDiProva::Esegui(installazione.FileUtenti(),
                                 {"INSERT INTO UTENTI (CODICE, NOMEUTENTE) VALUES (1, 'UN NOME PIUTTOSTO LUNGO')"});
    const QSize schermi[] = {{1024, 768}, {480, 640}, {800, 600}, {230, 300}, {320, 240}};
    for (const QSize& schermo : schermi) {
        SCOPED_TRACE(QStringLiteral("%1x%2").arg(schermo.width()).arg(schermo.height()).toStdString());
        ModalitaPerProva modalita(QStringLiteral("SMALL"), schermo);
        TBaseMainForm finestra;
        finestra.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&finestra));
        const ScalaCompatta scala = CalcolaScalaCompatta(schermo.width(), schermo.height());
        EXPECT_EQ(finestra.size(), QSize(qRound(230 * scala.Centesimi / 100.0), qRound(300 * scala.Centesimi / 100.0)));

        struct Pagina {
            QWidget* pagina;
            QStringList controlli; // at least these are seen
        };
        const Pagina pagine[] = {
            {finestra.ModalitaDefault, {"PanelLogIn", "LabelUtente1", "ComboUtenti1", "LabelPassword1", "EditPassword1", "ButtonOk"}},
            {finestra.ModalitaLista, {"LabelUtente2", "ListaUtenti2", "LabelPassword2", "EditPassword2", "SpinButtonLista", "ButtonOK2"}},
        };
        for (const Pagina& pagina : pagine) {
            SCOPED_TRACE(pagina.pagina->objectName().toStdString());
            finestra.NotebookMain->setCurrentWidget(pagina.pagina);
            QApplication::processEvents();
            const ControlliVisti visti = Controlli(finestra);
            EXPECT_TRUE(visti.fuori.isEmpty()) << visti.fuori.join(QStringLiteral(" | ")).toStdString();
            for (const QString& nome : pagina.controlli)
                EXPECT_TRUE(visti.dentro.contains(nome)) << nome.toStdString();
        }
    }
}

TEST(BaseMain, StandardWindowStartsInTheLoginState) {
    InstallazioneDiProva installazione;
    ImpostaDimensioneSchermo(QSize(1025, 768));
    TBaseMainForm finestra;
    ImpostaDimensioneSchermo(std::nullopt);
    EXPECT_EQ(finestra.windowTitle(), QStringLiteral("Autenticazione"));
    EXPECT_EQ(finestra.size(), QSize(625, 454));
    EXPECT_EQ(finestra.pos(), QPoint(200, 157));
    EXPECT_TRUE(finestra.MenuProgrammi->isHidden());
    for (QAction* voce : {finestra.Sessioni1, finestra.GestioneSemafori1, finestra.AccessoNorvane1})
        EXPECT_FALSE(voce->isEnabled()) << voce->text().toStdString();
    EXPECT_TRUE(finestra.Esci1->isEnabled());
    EXPECT_FALSE(finestra.LabelCambioUtente->isEnabled());
    EXPECT_FALSE(finestra.LabelCambioDitta->isEnabled());
    EXPECT_TRUE(finestra.ButtonSceltaDisco->isHidden());
    EXPECT_FALSE(finestra.ButtonSceltaDisco2->isHidden());
}

// Before a login nothing is written: the close only lets the data module go.
TEST(BaseMain, EsciBeforeLoginOnlyReleasesTheDataModule) {
    InstallazioneDiProva installazione;
    TBaseMainForm finestra;
    finestra.show();
    finestra.Esci1->trigger();
    EXPECT_FALSE(finestra.isVisible());
    EXPECT_EQ(finestra.TabXForm, nullptr);
    EXPECT_EQ(InstallazioneDiProva::Valore(installazione.FileUtenti(), "SELECT COUNT(*) FROM KESTOLOG"), "0");
    EXPECT_EQ(InstallazioneDiProva::Valore(installazione.FileUtenti(), "SELECT COUNT(*) FROM STOPOS1"), "0");
}

} // namespace
