#include "app/BarraProgrammi.h"
#include "app/FinestraDiProva.h"
#include "app/ModalitaPerProva.h"
#include "app/Finestre.h"
#include "datamodule/TabX.h"
#include "fixture/Dialoghi.h"
#include "forms/SelezDitta.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QPointer>
#include <QPushButton>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QStackedWidget>
#include <QTest>

using piattaforma::TipoMessaggio;
using prova::ChiamataRicevuta;

namespace {

const QByteArray CittaCp1252("citt\xe0 5\x80 l'una", 14);

class Lancio : public FinestraDiProva {
protected:
    // The log rows written so far, as "function:window id".
    QString Registro() {
        return ValoreUtenti("SELECT LIST(FUNZIONECHIAMATA || ':' || COALESCE(IDFINESTRA, 0), ' ') FROM "
                            "(SELECT * FROM KESTOLOGFUNZ ORDER BY IDFINESTRA)");
    }
};

TEST_F(Lancio, TheExportNameAndTheModeChooseTheForm) {
    struct Caso {
        const char* funzione;
        int modo;
        QString parametri;
        bool finestra;
        std::optional<QByteArray> ricevuti;
        bool nulli;
    };
    const QString citta = QStringLiteral("città 5€ l'una");
    const Caso casi[] = {
        {"Apri1", 1, citta, false, std::nullopt, false},
        {"Apri2", 2, citta, false, CittaCp1252, false},
        {"Apri2", 2, {}, false, QByteArray(), true},
        {"ApriX", 1, citta, true, std::nullopt, false},
        {"Apri2X", 2, {}, true, QByteArray(), true},
        {"Apri2X", 2, citta, true, CittaCp1252, false},
        {"ApriY", 1, {}, true, QByteArray(), false}, // never null, in either mode
        {"ApriY", 2, citta, true, CittaCp1252, false},
        {"Apri1x", 1, {}, false, std::nullopt, false}, // lower case x: form 1
        {"Apri2y", 2, citta, false, CittaCp1252, false},
    };
    // The window reads the menu rows in its own snapshot: they are there before the login.
    int menu = 100;
    for (const Caso& caso : casi)
        Voce(++menu, caso.funzione, {}, caso.parametri.isEmpty() ? QString() : caso.parametri);
    Entra("ROSSI");
    menu = 100;
    for (const Caso& caso : casi) {
        SCOPED_TRACE(QStringLiteral("%1 mode %2").arg(caso.funzione).arg(caso.modo).toStdString());
        libreria.Svuota();
        Finestra().EseguiFunzioneVoce(10, ++menu, caso.modo);
        const QString id = ValoreUtenti("SELECT MAX(IDFINESTRA) FROM KESTOLOGFUNZ");
        ChiamataRicevuta attesa{caso.funzione, 1};
        if (caso.finestra)
            attesa.IdFinestra = id.toInt();
        attesa.Parametri = caso.ricevuti;
        attesa.ParametriNulli = caso.nulli;
        ASSERT_EQ(libreria.Chiamate(), std::vector<ChiamataRicevuta>{attesa}) << msg->Testi().join("|").toStdString();
    }
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    EXPECT_EQ(ValoreUtenti("SELECT COUNT(DISTINCT IDFINESTRA) FROM KESTOLOGFUNZ"), "10");
}

TEST_F(Lancio, MenuClicksRunInTheirModeAndAModeTwoEntryReloadsTheMenu) {
    Voce(2, "Apri2", "1", "testo");
    Voce(3, "Apri1", "0", "testo");
    Entra("ROSSI");
    QAction* voce2 = nullptr;
    QAction* voce3 = nullptr;
    for (QAction* voce : Finestra().Voci) {
        if (voce->data().toInt() == 2)
            voce2 = voce;
        if (voce->data().toInt() == 3)
            voce3 = voce;
    }
    ASSERT_TRUE(voce2 && voce3);
    voce3->trigger();
    voce2->trigger();
    const auto chiamate = libreria.Chiamate();
    ASSERT_EQ(chiamate.size(), 2u);
    EXPECT_EQ(chiamate[0], (ChiamataRicevuta{"Apri1", 1})) << "mode 1 passes no text";
    EXPECT_EQ(chiamate[1].Parametri, QByteArray("testo"));
    EXPECT_EQ(Finestra().TagMenuPrincipale, 10);
}

TEST_F(Lancio, BuiltInFunctionsRunWithoutLibraryOrLog) {
    Utenti({"INSERT INTO DETTMENU (PROGRAMMA, MENU, LIVELLOMENU, MENUPREC, VISIBILE, DESCRIZIONE, FUNZIONE) "
            "VALUES (10, 7, 1, 1, '1', 'Ditta', 'cambioditta')",
            "INSERT INTO DETTMENU (PROGRAMMA, MENU, LIVELLOMENU, MENUPREC, VISIBILE, DESCRIZIONE, FUNZIONE) "
            "VALUES (10, 8, 1, 1, '1', 'Utente', 'CambioUtente')",
            "INSERT INTO DETTMENU (PROGRAMMA, MENU, LIVELLOMENU, MENUPREC, VISIBILE, DESCRIZIONE, FUNZIONE) "
            "VALUES (10, 9, 1, 1, '1', 'Esci', 'Chiudi')"});
    Entra("ROSSI");
    Finestra().show();
    bool dialogo = false;
    prova::QuandoSiApre<TSelezDittaForm>([&](TSelezDittaForm& d) {
        dialogo = true;
        d.reject();
    });
    Finestra().EseguiFunzioneVoce(10, 7, 1);
    EXPECT_TRUE(dialogo);
    Finestra().EseguiFunzioneVoce(10, 8, 1);
    EXPECT_FALSE(Finestra().SessioneAperta);
    Finestra().EseguiFunzioneVoce(10, 9, 1);
    EXPECT_TRUE(Finestra().isVisible()) << "closes once the click is over";
    QApplication::processEvents();
    EXPECT_FALSE(Finestra().isVisible());
    EXPECT_EQ(ValoreUtenti("SELECT COUNT(*) FROM KESTOLOGFUNZ"), "0");
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
}

TEST_F(Lancio, ConfigurationErrorsStopTheLaunchWithTheirMessage) {
    Voce(2, "", {}, {}, "");
    Voce(3, "", {}, {}, "Manca.so");
    Entra("ROSSI");
    const QString inizio = QStringLiteral(
        "Impossibile caricare la finestra relativa alla voce di menu selezionata. Controllare le impostazioni di "
        "menu del programma 10: ");
    Finestra().EseguiFunzioneVoce(10, 2, 1);
    Finestra().EseguiFunzioneVoce(10, 3, 1);
    Finestra().EseguiFunzioneVoce(10, 99, 1);
    EXPECT_EQ(msg->Testi(), (QStringList{inizio + "manca la DLL di riferimento per caricare la finestra nel menu 2",
                                         inizio + "manca la funzione di riferimento per caricare la finestra nel menu 3",
                                         inizio + "manca il menu 99"}));
    EXPECT_EQ(ValoreUtenti("SELECT COUNT(*) FROM KESTOLOGFUNZ"), "0");
}

TEST_F(Lancio, ProfileMustExistUnlessTheUserKeepsTheStandardMinimum) {
    Voce(2, "Apri1");
    Entra("ROSSI");
    Finestra().CodiceProfilo = 77;
    Finestra().EseguiFunzioneVoce(10, 2, 1);
    EXPECT_EQ(msg->Testi(), QStringList{"Errore di configurazione dell'utente ROSSI: il profilo sicurezza "
                                        "assegnato non esiste"});
    EXPECT_EQ(libreria.NumeroChiamate(), 0);
    msg->Svuota();
    Finestra().MantieniStdMin = true;
    Finestra().EseguiFunzioneVoce(10, 2, 1);
    EXPECT_EQ(libreria.NumeroChiamate(), 1);
    EXPECT_TRUE(msg->Testi().isEmpty());
}

TEST_F(Lancio, MissingLibraryOrExportIsSilentButLoggedAndTheCompanyStored) {
    Voce(2, "ApriX", {}, {}, "NonEsiste.dll");
    Voce(3, "NonEsporta");
    Entra("ROSSI");
    Utenti({"UPDATE UTENTI SET DITTA='ALTRA' WHERE CODICE=1"});
    Finestra().EseguiFunzioneVoce(10, 2, 1);
    Finestra().EseguiFunzioneVoce(10, 3, 1);
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    EXPECT_EQ(ValoreUtenti("SELECT LIST(FUNZIONECHIAMATA) FROM KESTOLOGFUNZ"), "ApriX,NonEsporta");
    EXPECT_EQ(ValoreUtenti("SELECT DITTA FROM UTENTI WHERE CODICE=1"), "ALFA");
}

TEST_F(Lancio, OddRowsEitherRunOrStopSilently) {
    const QString lunga = QString(199, QLatin1Char('a')) + QLatin1Char('X');
    Voce(2, "ApriX", {}, {}, installazione.Directory()); // a directory, not a library
    Voce(3, lunga);                                          // no such export
    Voce(4, "Apri2", "1", QString(25000, QLatin1Char('\xe8')));
    // Four times as long: a literal cannot hold 100 KB, a blob can.
    Utenti({"UPDATE DETTMENU SET PARAMETRIBLOB = PARAMETRIBLOB || PARAMETRIBLOB WHERE MENU=4",
            "UPDATE DETTMENU SET PARAMETRIBLOB = PARAMETRIBLOB || PARAMETRIBLOB WHERE MENU=4"});
    Entra("ROSSI");
    Finestra().EseguiFunzioneVoce(10, 2, 1);
    Finestra().EseguiFunzioneVoce(10, 3, 1);
    Finestra().EseguiFunzioneVoce(10, 4, 2);
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    const auto chiamate = libreria.Chiamate();
    ASSERT_EQ(chiamate.size(), 1u);
    EXPECT_EQ(chiamate[0].Parametri, QByteArray(100000, '\xe8'));
    EXPECT_EQ(ValoreUtenti("SELECT COUNT(*) FROM KESTOLOGFUNZ"), "3");
}

// Through the menu, as a click arrives: whatever the export throws is reported, that click
// ends, and the program goes on.
TEST_F(Lancio, AnExportThatThrowsIsReportedAndTheProgramGoesOn) {
    Voce(2, "LanciaEccezione");
    Voce(3, "LanciaIntero");
    Voce(4, "Apri1");
    Entra("ROSSI");
    const auto voce = [&](const QString& testo) {
        for (QAction* azione : Finestra().findChildren<QAction*>())
            if (azione->text() == testo)
                return azione;
        return static_cast<QAction*>(nullptr);
    };
    ASSERT_NE(voce("Voce 2"), nullptr);
    voce("Voce 2")->trigger();
    voce("Voce 3")->trigger();
    EXPECT_EQ(msg->Testi(), (QStringList{"guasto nella libreria",
                                         "Si è verificato un errore imprevisto: l'operazione è stata interrotta"}));
    voce("Voce 4")->trigger();
    ASSERT_EQ(libreria.Chiamate().size(), 1u);
    EXPECT_EQ(libreria.Chiamate()[0].Voce, "Apri1");
    EXPECT_EQ(ValoreUtenti("SELECT COUNT(*) FROM KESTOLOGFUNZ"), "3") << "each launch logged";
}

// The library's window is gone, its late call into the data module fails: reported with the
// engine's text, and the program goes on to launch and to close as usual.
TEST_F(Lancio, ALibraryCallingBackAfterItsWindowClosedIsReportedAndTheProgramGoesOn) {
    Voce(2, "RichiamaDopoChiusuraX", {}, {}, QCoreApplication::applicationDirPath() + "/ProvaFinestre.so");
    Voce(3, "Apri1");
    Entra("ROSSI");
    Finestra().show();
    Finestra().EseguiFunzioneVoce(10, 2, 1);
    QPointer<QWidget> aperta;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "RichiamoForm")
            aperta = w;
    ASSERT_FALSE(aperta.isNull());
    aperta->close();
    QApplication::processEvents();
    QApplication::processEvents();
    EXPECT_TRUE(aperta.isNull());
    ASSERT_EQ(msg->Testi().size(), 1);
    EXPECT_TRUE(msg->Testi()[0].contains("TABELLA_SPARITA")) << msg->Testi()[0].toStdString();
    EXPECT_EQ(msg->Mostrati.back().tipo, TipoMessaggio::Errore);

    Finestra().EseguiFunzioneVoce(10, 3, 1);
    ASSERT_EQ(libreria.Chiamate().size(), 1u);
    EXPECT_EQ(libreria.Chiamate()[0].Voce, "Apri1");
    EXPECT_TRUE(Finestra().close());
    EXPECT_EQ(ValoreUtenti("SELECT COUNT(*) FROM KESTOLOG WHERE DATACHIUSURA IS NULL"), "0");
}

TEST_F(Lancio, BigButtonsRunTheirRowInTheModeOfTheirFlag) {
    Utenti({QStringLiteral("INSERT INTO PULSANTONI (ID, PROGETTO, VISIBILE, POS_X, POS_Y, LARGHEZZA, ALTEZZA, "
                           "NOME, DLL, FUNZIONE, LIVELLO2VERSIONE, PARAMETRIBLOB) VALUES (5, 1, '1', 200, 10, "
                           "100, 40, 'Pulsante', '%1', 'Apri2X', '1', 'p')")
                .arg(prova::PercorsoProvaFunzioni()),
            "INSERT INTO PULSANTONI (ID, PROGETTO, VISIBILE, POS_X, POS_Y, LARGHEZZA, ALTEZZA, NOME, DLL) "
            "VALUES (6, 1, '1', 200, 60, 100, 40, 'Senza', 'x.dll')"});
    Entra("ROSSI");
    auto* pulsante = Finestra().findChild<QPushButton*>("Pulsantone_5");
    ASSERT_NE(pulsante, nullptr);
    pulsante->click();
    const auto chiamate = libreria.Chiamate();
    ASSERT_EQ(chiamate.size(), 1u);
    EXPECT_EQ(chiamate[0].Voce, "Apri2X");
    EXPECT_EQ(chiamate[0].Parametri, QByteArray("p"));
    Finestra().findChild<QPushButton*>("Pulsantone_6")->click();
    EXPECT_EQ(msg->Testi(), QStringList{"Impossibile caricare la finestra relativa al pulsantone premuto. "
                                        "Controllare le impostazioni del pulsantone 6: manca la funzione di "
                                        "riferimento per caricare la finestra"});
    QPushButton senzaRiga;
    senzaRiga.setProperty("Tag", 999);
    Finestra().PulsantoneClick(&senzaRiga);
    EXPECT_EQ(msg->Testi().value(1), "Errore nella configurazione del pulsantone");
    EXPECT_EQ(msg->Mostrati.back().tipo, TipoMessaggio::Avviso);
}

class Tasti : public FinestraDiProva {
protected:
    void SetUp() override {
        Parametro(1, "BETA", "Archivio", installazione.FileArchivio());
        Parametro(1, "GAMMA <inattiva>", "Archivio", installazione.FileArchivio());
    }
    void Premi(QWidget* dove, Qt::Key tasto) { QTest::keyRelease(dove, tasto); }
};

TEST_F(Tasti, F12CyclesTheCompaniesOnlyInTheMenuStateOfAUserWithKeys) {
    Finestra().show();
    Premi(Finestra().ComboUtenti1, Qt::Key_F12);
    EXPECT_EQ(ValoreUtenti("SELECT DITTA FROM UTENTI WHERE CODICE=1"), "ALFA") << "no key before a login";
    Entra("ROSSI");
    Premi(Finestra().MenuProgrammi, Qt::Key_F12);
    EXPECT_EQ(ValoreUtenti("SELECT DITTA FROM UTENTI WHERE CODICE=1"), "BETA");
    EXPECT_EQ(Finestra().windowTitle(), "Ditta: BETA - Utente: ROSSI");
    Premi(Finestra().MenuProgrammi, Qt::Key_F12);
    EXPECT_EQ(ValoreUtenti("SELECT DITTA FROM UTENTI WHERE CODICE=1"), "ALFA") << "wraps to the first";
    Utenti({"UPDATE UTENTI SET DITTA='NON IN ELENCO' WHERE CODICE=1"});
    Finestra().TabXForm->SetUserPerNome("ROSSI");
    Premi(&Finestra(), Qt::Key_F12);
    EXPECT_EQ(ValoreUtenti("SELECT DITTA FROM UTENTI WHERE CODICE=1"), "ALFA") << "not listed: the first";
    Finestra().MantieniStdMin = true;
    Premi(Finestra().MenuProgrammi, Qt::Key_F12);
    EXPECT_EQ(ValoreUtenti("SELECT DITTA FROM UTENTI WHERE CODICE=1"), "ALFA");
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
}

TEST_F(Tasti, F9ChangesTheCompanyThroughTheDialogAndCancelWritesNothing) {
    Entra("ROSSI");
    Finestra().show();
    prova::QuandoSiApre<TSelezDittaForm>([](TSelezDittaForm& d) { d.reject(); });
    Premi(Finestra().MenuProgrammi, Qt::Key_F9);
    EXPECT_EQ(ValoreUtenti("SELECT DITTA FROM UTENTI WHERE CODICE=1"), "ALFA");

    prova::QuandoSiApre<TSelezDittaForm>([](TSelezDittaForm& d) {
        d.ListBoxSelDitta->setCurrentRow(d.ListBoxSelDitta->count() - 1);
        d.ButtonOk->click();
    });
    Premi(Finestra().MenuProgrammi, Qt::Key_F9);
    EXPECT_EQ(ValoreUtenti("SELECT DITTA FROM UTENTI WHERE CODICE=1"), "BETA");
    EXPECT_EQ(Finestra().TabXForm->GetDitta(), "BETA");
    EXPECT_EQ(Finestra().windowTitle(), "Ditta: BETA - Utente: ROSSI");
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
}

// The dialog lists what the users database held when it opened; the change checks again.
TEST_F(Tasti, F9ToACompanyDisabledMeanwhileChangesNothing) {
    Entra("ROSSI");
    Finestra().show();
    prova::QuandoSiApre<TSelezDittaForm>([this](TSelezDittaForm& d) {
        Utenti({"UPDATE TABNORVANE SET INTESTAZIONE='BETA <INATTIVA>' WHERE INTESTAZIONE='BETA'"});
        d.ListBoxSelDitta->setCurrentRow(d.ListBoxSelDitta->count() - 1);
        d.ButtonOk->click();
    });
    Premi(Finestra().MenuProgrammi, Qt::Key_F9);
    EXPECT_EQ(msg->Testi(), QStringList{"Cambio ditta non effettuato: la ditta \"BETA\" è disattivata."});
    EXPECT_EQ(ValoreUtenti("SELECT DITTA FROM UTENTI WHERE CODICE=1"), "ALFA");
    EXPECT_EQ(Finestra().TabXForm->GetDitta(), "ALFA");
    EXPECT_EQ(Finestra().windowTitle(), "Ditta: ALFA - Utente: ROSSI");
    EXPECT_TRUE(Finestra().TabXForm->IBDatabase1.Connected());
}

// The compact dialog is scaled to the screen, then set to 230 x 300: its list and both
// buttons stay inside it and its group box, the buttons clear of the list and of each other
// and large enough for their captions, and a click on Ok changes the company.
TEST_F(Tasti, F9InTheCompactModeKeepsTheDialogsButtonsInside) {
    for (const QSize schermo : {QSize(1024, 768), QSize(800, 600), QSize(480, 640), QSize(230, 300)}) {
        SCOPED_TRACE(QStringLiteral("%1x%2").arg(schermo.width()).arg(schermo.height()).toStdString());
        Chiudi();
        Utenti({"UPDATE UTENTI SET DITTA='ALFA' WHERE CODICE=1"});
        ModalitaPerProva modalita(QStringLiteral("SMALL"), schermo);
        Entra("ROSSI");
        ASSERT_TRUE(Finestra().SessioneAperta);
        Finestra().show();
        bool visto = false;
        prova::QuandoSiApre<TSelezDittaForm>([&visto](TSelezDittaForm& d) {
            visto = true;
            EXPECT_EQ(d.size(), QSize(230, 300));
            const auto nelDialogo = [&d](const QWidget* w) { return QRect(w->mapTo(&d, QPoint(0, 0)), w->size()); };
            const QRect gruppo = nelDialogo(d.GroupBox1);
            const QRect lista = nelDialogo(d.ListBoxSelDitta);
            EXPECT_TRUE(d.rect().contains(gruppo));
            EXPECT_TRUE(gruppo.contains(lista));
            for (const QPushButton* pulsante : {d.ButtonOk, d.ButtonCancel}) {
                SCOPED_TRACE(pulsante->text().toStdString());
                const QRect r = nelDialogo(pulsante);
                EXPECT_TRUE(gruppo.contains(r)) << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
                EXPECT_FALSE(r.intersects(lista));
                EXPECT_GE(r.height(), pulsante->fontMetrics().height());
                EXPECT_GE(r.width(), pulsante->fontMetrics().horizontalAdvance(pulsante->text()));
            }
            EXPECT_FALSE(nelDialogo(d.ButtonOk).intersects(nelDialogo(d.ButtonCancel)));
            d.ListBoxSelDitta->setCurrentRow(d.ListBoxSelDitta->count() - 1);
            QTest::mouseClick(d.ButtonOk, Qt::LeftButton);
            if (d.isVisible())
                d.reject();
        });
        Premi(&Finestra(), Qt::Key_F9);
        EXPECT_TRUE(visto);
        EXPECT_EQ(ValoreUtenti("SELECT DITTA FROM UTENTI WHERE CODICE=1"), "BETA");
    }
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
}

TEST_F(Tasti, F8GoesBackToTheAccessPageOnce) {
    Entra("ROSSI");
    Finestra().show();
    Premi(Finestra().MenuProgrammi, Qt::Key_F8);
    EXPECT_FALSE(Finestra().SessioneAperta);
    EXPECT_FALSE(Finestra().NotebookMain->isHidden());
    EXPECT_EQ(Finestra().MenuPrincipale->actions().size(), 1) << "only Sistema";
    EXPECT_TRUE(Finestra().Voci.empty());
    EXPECT_FALSE(Finestra().Sessioni1->isEnabled());
    EXPECT_FALSE(Finestra().LabelCambioUtente->isEnabled());
}

TEST_F(Tasti, AfterF8NothingOfThePreviousUserCanBeLaunchedAndTheNextLoginBringsItsButtons) {
    Utenti({QStringLiteral("INSERT INTO PULSANTONI (ID, PROGETTO, VISIBILE, POS_X, POS_Y, LARGHEZZA, ALTEZZA, "
                           "NOME, DLL, FUNZIONE, LIVELLO2VERSIONE) VALUES (5, 1, '1', 200, 10, 100, 40, "
                           "'Pulsante', '%1', 'Apri1', '0')")
                .arg(prova::PercorsoProvaFunzioni())});
    Entra("ROSSI");
    Finestra().show();
    QPointer<QPushButton> pulsante = Finestra().findChild<QPushButton*>("Pulsantone_5");
    ASSERT_NE(pulsante, nullptr);
    ASSERT_TRUE(pulsante->isVisible());
    Premi(Finestra().MenuProgrammi, Qt::Key_F8);
    EXPECT_FALSE(pulsante->isVisible()) << "gone from the access page at once";
    // Even a click that was already on its way runs nothing.
    Finestra().PulsantoneClick(pulsante);
    EXPECT_TRUE(libreria.Chiamate().empty());
    EXPECT_EQ(ValoreUtenti("SELECT COUNT(*) FROM KESTOLOGFUNZ"), "0");
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(pulsante.isNull());
    EXPECT_TRUE(Finestra().Pulsantoni.empty());

    Entra("D'ANGELO", "Perù");
    ASSERT_EQ(Finestra().Pulsantoni.size(), 1u);
    EXPECT_TRUE(Finestra().Pulsantoni[0]->isVisible());
    Finestra().Pulsantoni[0]->click();
    ASSERT_EQ(libreria.Chiamate().size(), 1u);
    EXPECT_EQ(libreria.Chiamate()[0].Utente, 2);
}

TEST_F(Tasti, F12OpensTheArchiveOfTheCompanyItMakesCurrent) {
    const QString archivioBeta = installazione.Directory() + "archivio/beta.fdb";
    ASSERT_TRUE(QFile::copy(installazione.FileArchivio(), archivioBeta));
    Utenti({"UPDATE TABNORVANE SET VALORE='" + archivioBeta +
            "' WHERE UTENTE=1 AND INTESTAZIONE='BETA' AND PARAMETRO='Archivio'"});
    Entra("ROSSI");
    Finestra().show();
    const fb::TDatabase& archivio = Finestra().TabXForm->IBDatabase1;
    EXPECT_EQ(archivio.DatabaseName, installazione.FileArchivio());
    Premi(Finestra().MenuProgrammi, Qt::Key_F12);
    EXPECT_EQ(Finestra().windowTitle(), "Ditta: BETA - Utente: ROSSI");
    EXPECT_EQ(archivio.DatabaseName, archivioBeta);
    EXPECT_TRUE(archivio.Connected());
    Premi(Finestra().MenuProgrammi, Qt::Key_F12);
    EXPECT_EQ(archivio.DatabaseName, installazione.FileArchivio());
    EXPECT_TRUE(archivio.Connected());
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
}

class Chiusura : public FinestraDiProva {};

// Closing first closes the libraries' windows (of this session, of a user who left with F8,
// with or without a handle in the call log) through their own save question; the session is
// then closed. A window that will not close keeps the main window open.
TEST_F(Chiusura, ClosesTheLibraryWindowsFirstAndStaysOpenWhileOneRefuses) {
    class Ostinata : public QWidget {
    protected:
        void closeEvent(QCloseEvent* evento) override { evento->ignore(); }
    };
    Voce(2, "MostraArgomentiX", {}, {}, QCoreApplication::applicationDirPath() + "/DemoFunzioni.so");
    Voce(3, "MostraArgomenti", {}, {}, QCoreApplication::applicationDirPath() + "/DemoFunzioni.so");
    for (const char* caso : {"handle in the call log", "no handle", "after F8", "one refuses"}) {
        SCOPED_TRACE(caso);
        const QString nome = caso;
        Entra("ROSSI");
        Finestra().show();
        Finestra().EseguiFunzioneVoce(10, nome == "handle in the call log" ? 2 : 3, 1);
        QPointer<QWidget> aperta;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->objectName() == "ArgomentiForm")
                aperta = w;
        ASSERT_TRUE(aperta);
        const QString sessione = QString::number(Finestra().CodiceSessione);
        const auto chiusa = [&] {
            return ValoreUtenti("SELECT DATACHIUSURA FROM KESTOLOG WHERE CODICESESSIONE=" + sessione) != "";
        };
        if (nome == "after F8")
            Finestra().CambioUtente();
        if (nome == "one refuses") {
            Ostinata ostinata;
            ostinata.show();
            EXPECT_FALSE(Finestra().close());
            EXPECT_EQ(msg->Testi(), QStringList{"Chiudere prima tutte le finestre aperte"});
            EXPECT_NE(Finestra().TabXForm, nullptr);
            EXPECT_FALSE(chiusa());
            ostinata.hide();
        }
        EXPECT_TRUE(Finestra().close());
        EXPECT_TRUE(aperta.isNull());
        EXPECT_EQ(Finestra().TabXForm, nullptr);
        EXPECT_EQ(chiusa(), nome != "after F8") << "F8 leaves its session as it was";
        Chiudi();
        msg->Svuota();
    }
}

} // namespace

namespace {

class DuePostazioni : public FinestraDiProva {};

// Two windows on the same archive stand for two workstations: a critical window taken on
// one refuses the window linked to it on the other.
TEST_F(DuePostazioni, ACriticalWindowTakenOnOneRefusesItsLinkedWindowOnTheOther) {
    Voce(2, "ApriX");
    Voce(3, "ApriY");
    CollegaFinestreCritiche("ApriY", "ApriX");
    Entra("ROSSI");
    TBaseMainForm altra;
    altra.ComboUtenti1->setCurrentIndex(altra.ComboUtenti1->findText("D'ANGELO"));
    altra.EditPassword1->setText("Perù");
    QTest::mouseClick(altra.ButtonOk, Qt::LeftButton);
    ASSERT_TRUE(altra.SessioneAperta);

    Finestra().EseguiFunzioneVoce(10, 2, 1);
    altra.EseguiFunzioneVoce(10, 3, 1);
    const auto chiamate = libreria.Chiamate();
    ASSERT_EQ(chiamate.size(), 1u);
    EXPECT_EQ(chiamate[0].Voce, "ApriX");
    EXPECT_EQ(msg->Testi(), QStringList{"Errore: ci sono altre finestre critiche aperte da questo utente o da altri "
                                        "utenti che bloccano l'apertura di questa finestra.\r\nChiudere prima le "
                                        "altre finestre e riprovare.\r\nVedere Gestione semafori per maggiori "
                                        "dettagli."});
    EXPECT_EQ(prova::InstallazioneDiProva::Valore(installazione.FileArchivio(),
                                                  "SELECT UTENTE || ' ' || FORM || ' ' || DESCRIZIONE FROM "
                                                  "SEMAFORIFANOMALIE"),
              "2 ApriY Semaforo occupato");
    // The refused launch is still logged.
    EXPECT_EQ(ValoreUtenti("SELECT LIST(FUNZIONECHIAMATA) FROM KESTOLOGFUNZ"), "ApriX,ApriY");
}

} // namespace
