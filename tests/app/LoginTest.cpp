#include "app/BarraProgrammi.h"
#include "app/FinestraDiProva.h"
#include "app/Iniz.h"
#include "app/ModalitaPerProva.h"
#include "datamodule/TabX.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QRegularExpression>
#include <QLabel>
#include <QMenuBar>
#include <QStackedWidget>

#include <functional>

using piattaforma::TipoMessaggio;

namespace {

const QString AccessoNegato = QStringLiteral(
    "Accesso negato: scegliere un'utente ed inserire l'eventuale password. Fare attenzione al maiuscolo / "
    "minuscolo");

class Login : public FinestraDiProva {};

TEST_F(Login, WrongPasswordOrNoUserEmptiesTheFieldsAndWritesNothing) {
    for (const auto& [nome, password] : {std::pair{"D'ANGELO", "perù"}, std::pair{"", "x"}}) {
        SCOPED_TRACE(nome);
        Entra(nome, password);
        EXPECT_EQ(msg->Testi(), QStringList{AccessoNegato});
        EXPECT_EQ(msg->Mostrati.back().tipo, TipoMessaggio::Errore);
        EXPECT_EQ(Finestra().GetPassword(), QString());
        EXPECT_FALSE(Finestra().SessioneAperta);
        EXPECT_FALSE(Finestra().NotebookMain->isHidden());
        msg->Svuota();
    }
    EXPECT_EQ(ValoreUtenti("SELECT COUNT(*) FROM KESTOLOG"), "0");
}

// What an administrator changed after the access window read its list counts at the login:
// the user is refused with a message that says why, nothing is opened or written, no
// archive appears anywhere, and the list is read again.
struct Rifiuto {
    const char* nome;
    QStringList modifiche; // on the users database, after the window opened
    QString messaggio;
    bool elencato;         // ROSSI still in the list afterwards
};

void PrintTo(const Rifiuto& caso, std::ostream* os) {
    *os << caso.nome;
}

class RifiutiLogin : public FinestraDiProva, public ::testing::WithParamInterface<Rifiuto> {};

TEST_P(RifiutiLogin, IsMadeOnTheUsersDatabaseAsItIsNow) {
    const Rifiuto& caso = GetParam();
    const QString cartella = QDir::currentPath();
    const QStringList prima = QDir(cartella).entryList({"*.fdb"});
    Finestra();
    Utenti(caso.modifiche);
    Entra("ROSSI");
    EXPECT_EQ(msg->Testi(), QStringList{caso.messaggio});
    TBaseMainForm& f = Finestra();
    EXPECT_FALSE(f.SessioneAperta);
    EXPECT_FALSE(f.NotebookMain->isHidden());
    EXPECT_FALSE(f.TabXForm->IBDatabase1.Connected());
    EXPECT_EQ(ValoreUtenti("SELECT COUNT(*) FROM KESTOLOG"), "0");
    EXPECT_EQ(QDir(cartella).entryList({"*.fdb"}), prima);
    EXPECT_EQ(f.ComboUtenti1->findText("ROSSI") >= 0, caso.elencato);
    EXPECT_GE(f.ComboUtenti1->findText("D'ANGELO"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    , RifiutiLogin,
    ::testing::Values(
        Rifiuto{"Deactivated", {"UPDATE UTENTI SET UTENTEINATTIVO='1' WHERE CODICE=1"},
                "Accesso negato: l'utente ROSSI è stato disattivato.", false},
        Rifiuto{"CompanyDisabled", {"UPDATE TABNORVANE SET INTESTAZIONE='ALFA <INATTIVA>' WHERE UTENTE=1"},
                "Accesso negato: la ditta \"ALFA\" è disattivata.", true},
        Rifiuto{"CompanyNotTheUsers", {"UPDATE UTENTI SET DITTA='BETA' WHERE CODICE=1"},
                "Accesso negato: l'utente ROSSI non è abilitato alla ditta \"BETA\".", true},
        Rifiuto{"NoCompany", {"UPDATE UTENTI SET DITTA=NULL WHERE CODICE=1"},
                "Accesso negato: all'utente ROSSI non è assegnata alcuna ditta.", true},
        Rifiuto{"NoArchive", {"UPDATE TABNORVANE SET VALORE='' WHERE UTENTE=1 AND PARAMETRO='Archivio'"},
                "Accesso negato: per la ditta \"ALFA\" non è indicato l'archivio (parametro \"Archivio\").", true},
        Rifiuto{"ArchiveInTheWorkingDirectory",
                {"UPDATE TABNORVANE SET VALORE='archivio.fdb' WHERE UTENTE=1 AND PARAMETRO='Archivio'"},
                "Accesso negato: l'archivio della ditta \"ALFA\" non ha un percorso completo: \"archivio.fdb\".", true},
        Rifiuto{"WrongPasswordSetMeanwhile", {"UPDATE UTENTI SET PWDUTENTE='nuova' WHERE CODICE=1"}, AccessoNegato,
                true}),
    [](const auto& info) { return std::string(info.param.nome); });

// F8 shows the access page again with the list as it is now.
TEST_F(Login, TheChangeOfUserReadsTheListAgain) {
    Entra("ROSSI");
    ASSERT_TRUE(Finestra().SessioneAperta);
    Utenti({"UPDATE UTENTI SET UTENTEINATTIVO='1' WHERE CODICE=2",
            "INSERT INTO UTENTI (CODICE, NOMEUTENTE, DITTA, PROFILOSICUREZZA, PROGETTO) VALUES (5, 'BIANCHI', 'ALFA', 1, 1)"});
    Finestra().CambioUtente();
    EXPECT_LT(Finestra().ComboUtenti1->findText("D'ANGELO"), 0);
    EXPECT_GE(Finestra().ComboUtenti1->findText("BIANCHI"), 0);
    EXPECT_GE(Finestra().ComboUtenti1->findText("ROSSI"), 0);
}

TEST_F(Login, SuccessfulLoginTurnsTheWindowIntoTheMenu) {
    Entra("D'ANGELO", "Perù");
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    TBaseMainForm& f = Finestra();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Ditta: ALFA - Utente: D'ANGELO"));
    EXPECT_TRUE(f.SessioneAperta);
    EXPECT_TRUE(f.NotebookMain->isHidden());
    EXPECT_FALSE(f.MenuProgrammi->isHidden());
    EXPECT_TRUE(f.Sessioni1->isEnabled());
    EXPECT_TRUE(f.GestioneSemafori1->isEnabled());
    EXPECT_FALSE(f.AccessoNorvane1->isEnabled()) << "ACCESSONORVANE is not 1";
    // MANTIENISTDMIN: no profile needed, no F8/F9.
    EXPECT_TRUE(f.MantieniStdMin);
    EXPECT_EQ(f.CodiceProfilo, 0);
    EXPECT_FALSE(f.LabelCambioUtente->isEnabled());
    EXPECT_EQ(f.TabXForm->GetV("Archivio"), installazione.FileArchivio());
    EXPECT_TRUE(f.TabXForm->IBDatabase1.Connected());
    EXPECT_EQ(f.TagMenuPrincipale, 10);
    EXPECT_EQ(ValoreUtenti(QStringLiteral("SELECT CODICEUTENTE FROM KESTOLOG WHERE CODICESESSIONE=%1 "
                                          "AND DATACHIUSURA IS NULL")
                               .arg(f.CodiceSessione)),
              "2");
    // The message window is gone.
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<TInizForm*>(w), nullptr);
}

TEST_F(Login, UserConfigurationDecidesProfileProjectAndKeys) {
    struct Caso {
        const char* nome;
        QStringList parametri; // PROFILO SICUREZZA, PROGETTO
        QString errore;
        int profilo, progetto;
        bool tasti;
    };
    const QString manca = QStringLiteral("E' stato trovato un errore nella configurazione dell'utente %1: manca il %2");
    const Caso casi[] = {
        {"ROSSI", {}, {}, 1, 1, true},
        {"ROSSI", {"5", "2"}, {}, 5, 2, true},
        {"VERDI", {}, manca.arg("VERDI", "profilo sicurezza"), 0, 0, false},
        {"NERI", {}, manca.arg("NERI", "progetto"), 0, 0, false},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE((caso.nome + caso.parametri.join(",")).toStdString());
        Chiudi();
        msg->Svuota();
        Utenti({"DELETE FROM TABNORVANE WHERE PARAMETRO<>'Archivio'"});
        if (!caso.parametri.isEmpty()) {
            Parametro(1, "ALFA", "PROFILO SICUREZZA", caso.parametri[0]);
            Parametro(1, "ALFA", "PROGETTO", caso.parametri[1]);
        }
        Entra(caso.nome);
        TBaseMainForm& f = Finestra();
        EXPECT_EQ(msg->Testi(), caso.errore.isEmpty() ? QStringList{} : QStringList{caso.errore});
        EXPECT_EQ(f.CodiceProfilo, caso.profilo);
        EXPECT_EQ(f.CodiceProgetto, caso.progetto);
        EXPECT_EQ(f.LabelCambioUtente->isEnabled(), caso.tasti);
        EXPECT_EQ(f.LabelCambioDitta->isEnabled(), caso.tasti);
        // A stopped login stays in the menu state with its session open, without caption.
        EXPECT_TRUE(f.SessioneAperta);
        EXPECT_EQ(f.windowTitle(), caso.errore.isEmpty() ? QStringLiteral("Ditta: ALFA - Utente: ") + caso.nome
                                                         : QStringLiteral("Autenticazione"));
    }
}

TEST_F(Login, AgendaDefaultsFollowTheWindowColumnsOfTheLog) {
    // The default library is "Pelmar.dll": a copy of the test library under that name.
    ASSERT_TRUE(QFile::copy(prova::PercorsoProvaFunzioni(), installazione.Directory() + "Pelmar.so"));
    prova::LibreriaProva agenda(installazione.Directory() + "Pelmar.so");
    ASSERT_TRUE(agenda.Caricata());
    Parametro(1, "ALFA", "AperturaAgenda", "SI");
    for (const bool colonne : {true, false}) {
        SCOPED_TRACE(colonne);
        Chiudi();
        agenda.Svuota();
        if (!colonne)
            Utenti({"ALTER TABLE KESTOLOGFUNZ DROP IDFINESTRA"});
        Entra("ROSSI");
        const auto chiamate = agenda.Chiamate();
        ASSERT_EQ(chiamate.size(), 1u);
        if (colonne) {
            const QString id = ValoreUtenti("SELECT MAX(IDFINESTRA) FROM KESTOLOGFUNZ");
            EXPECT_EQ(chiamate[0], (prova::ChiamataRicevuta{"ShowContattAgendaFormX", 1, id.toInt()}));
            EXPECT_NE(id, "0");
        } else {
            EXPECT_EQ(chiamate[0], (prova::ChiamataRicevuta{"ShowContattAgendaFormD", 1}));
        }
        EXPECT_EQ(ValoreUtenti("SELECT LIST(DISTINCT FUNZIONECHIAMATA) FROM KESTOLOGFUNZ"), "ShowContattAgendaFormD");
    }
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
}

TEST_F(Login, AperturaFormRunsTheEntryAsAClick) {
    Voce(12, "ApriX");
    Parametro(1, "ALFA", "AperturaForm", "10, 12");
    Entra("ROSSI");
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    ASSERT_EQ(libreria.NumeroChiamate(), 1);
    EXPECT_EQ(libreria.Chiamate()[0].Voce, "ApriX");
    EXPECT_EQ(ValoreUtenti("SELECT FUNZIONECHIAMATA FROM KESTOLOGFUNZ"), "ApriX");
}

TEST_F(Login, AperturaFormThatIsNotTwoNumbersIsReportedAfterTheLogin) {
    const std::pair<const char*, const char*> casi[] = {
        {"dieci,12", "'dieci' is not a valid integer value"},
        {"10", "List index out of bounds (1)"},
    };
    for (const auto& [valore, errore] : casi) {
        SCOPED_TRACE(valore);
        Chiudi();
        msg->Svuota();
        Utenti({"DELETE FROM TABNORVANE WHERE PARAMETRO='AperturaForm'"});
        Parametro(1, "ALFA", "AperturaForm", valore);
        Entra("ROSSI");
        ASSERT_EQ(msg->Testi(), QStringList{errore});
        EXPECT_EQ(msg->Mostrati[0].tipo, TipoMessaggio::Errore);
        EXPECT_TRUE(Finestra().SessioneAperta);
        EXPECT_EQ(libreria.NumeroChiamate(), 0);
    }
}

TEST_F(Login, ProgramsThatCannotLoadGiveOneMessageAndTheLoginGoesOn) {
    Utenti({"DELETE FROM DETTPROGETTI"});
    Entra("ROSSI");
    EXPECT_EQ(msg->Testi(), QStringList{QStringLiteral(
                                "Si è verificato un errore durante la configurazione del programma sulla base dei "
                                "criteri di personalizzazione dell'utente selezionato")});
    EXPECT_TRUE(Finestra().LabelCambioDitta->isEnabled());
}

TEST_F(Login, SmallModeDropsTheMenuBarAndIgnoresTheStoredPosition) {
    Utenti({"INSERT INTO STOPOS1 (CODICESITUAZIONE, CODICEUTENTE, CODICEPROGETTO, POSX, POSY, DIMX, DIMY) "
            "VALUES (1, 1, 1, 40, 30, 700, 500)"});
    Entra("ROSSI");
    EXPECT_EQ(Finestra().size(), QSize(700, 500));
    EXPECT_FALSE(Finestra().MenuPrincipale->isHidden());
    Chiudi();

    ModalitaProgramma = QStringLiteral("SMALL");
    Entra("ROSSI");
    ModalitaProgramma = QStringLiteral("STANDARD");
    EXPECT_NE(Finestra().size(), QSize(700, 500));
    EXPECT_TRUE(Finestra().MenuPrincipale->isHidden());
}

// The compact window covers the terminal's screen: its place is never stored, whatever
// was stored before, and the session still closes.
TEST_F(Login, ASmallSessionClosesWithoutStoringThePosition) {
    const QString memorizzata = QStringLiteral("40,30 700x500");
    for (const bool riga : {true, false}) {
        SCOPED_TRACE(riga);
        Chiudi();
        Utenti({"DELETE FROM STOPOS1"});
        if (riga)
            Utenti({"INSERT INTO STOPOS1 (CODICESITUAZIONE, CODICEUTENTE, CODICEPROGETTO, POSX, POSY, DIMX, DIMY) "
                    "VALUES (1, 1, 1, 40, 30, 700, 500)"});
        ModalitaPerProva modalita(QStringLiteral("SMALL"), QSize(1024, 768));
        Entra("ROSSI");
        ASSERT_TRUE(Finestra().SessioneAperta);
        const qint32 sessione = Finestra().CodiceSessione;
        Finestra().show();
        ASSERT_EQ(Finestra().size(), QSize(589, 768));
        Finestra().close();
        EXPECT_EQ(Finestra().TabXForm, nullptr);
        EXPECT_EQ(ValoreUtenti("SELECT LIST(POSX || ',' || POSY || ' ' || DIMX || 'x' || DIMY) FROM STOPOS1"),
                  riga ? memorizzata : QString());
        EXPECT_EQ(ValoreUtenti(QStringLiteral("SELECT COUNT(*) FROM KESTOLOG WHERE DATACHIUSURA=CURRENT_DATE AND "
                                              "CODICESESSIONE=%1").arg(sessione)),
                  "1");
    }
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
}

// Runs an action once, the moment the login's message window shows: what reaches the window
// while a login runs.
class DuranteIlLogin : public QObject {
public:
    explicit DuranteIlLogin(std::function<void()> azione) : azione_(std::move(azione)) {
        qApp->installEventFilter(this);
    }
    ~DuranteIlLogin() override { qApp->removeEventFilter(this); }
    bool Eseguita() const { return !azione_; }

protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override {
        if (azione_ && evento->type() == QEvent::Show && qobject_cast<TInizForm*>(oggetto)) {
            const auto azione = std::move(azione_);
            azione_ = nullptr;
            azione();
        }
        return false;
    }

private:
    std::function<void()> azione_;
};

TEST_F(Login, WhatReachesTheWindowDuringALoginDoesNotChangeItsUserNorStartAnother) {
    struct Caso {
        const char* cosa;
        std::function<void(TBaseMainForm&)> azione;
    };
    const Caso casi[] = {
        {"another user chosen",
         [](TBaseMainForm& f) { f.ComboUtenti1->setCurrentIndex(f.ComboUtenti1->findText("D'ANGELO")); }},
        {"OK pressed again", [](TBaseMainForm& f) { f.ButtonOk->click(); }},
        {"the other page's OK", [](TBaseMainForm& f) { f.ButtonOK2->click(); }},
    };
    for (const Caso& caso : casi) {
        SCOPED_TRACE(caso.cosa);
        Finestra().show();
        DuranteIlLogin durante([&] { caso.azione(Finestra()); });
        Entra("ROSSI");
        ASSERT_TRUE(durante.Eseguita());
        EXPECT_EQ(Finestra().TabXForm->GetNomeUser(), "ROSSI");
        EXPECT_EQ(Finestra().windowTitle(), "Ditta: ALFA - Utente: ROSSI");
        EXPECT_EQ(ValoreUtenti("SELECT LIST(CODICEUTENTE) FROM KESTOLOG WHERE DATACHIUSURA IS NULL"), "1")
            << "one session, of the user whose password was checked";
        EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
        Chiudi();
        Utenti({"DELETE FROM KESTOLOG"});
    }
}

TEST_F(Login, ACloseAskedDuringTheLoginHappensWhenTheLoginIsOver) {
    Finestra().show();
    DuranteIlLogin durante([&] { Finestra().close(); });
    Entra("ROSSI");
    ASSERT_TRUE(durante.Eseguita());
    ASSERT_NE(Finestra().TabXForm, nullptr) << "the data module outlived the login";
    EXPECT_TRUE(Finestra().SessioneAperta);
    EXPECT_EQ(Finestra().windowTitle(), "Ditta: ALFA - Utente: ROSSI");
    QApplication::processEvents();
    EXPECT_FALSE(Finestra().isVisible());
    EXPECT_EQ(Finestra().TabXForm, nullptr);
    EXPECT_EQ(ValoreUtenti("SELECT COUNT(*) FROM KESTOLOG WHERE DATACHIUSURA IS NULL"), "0");
}

class Sessioni : public FinestraDiProva {};

TEST_F(Sessioni, ChangeOfUserLeavesTheFirstSessionOpenAndCloseEndsTheSecond) {
    Entra("ROSSI");
    const qint32 prima = Finestra().CodiceSessione;
    Finestra().CambioUtente();
    EXPECT_FALSE(Finestra().SessioneAperta);
    EXPECT_EQ(Finestra().windowTitle(), QStringLiteral("Autenticazione"));
    Entra("ROSSI");
    const qint32 seconda = Finestra().CodiceSessione;
    EXPECT_NE(prima, seconda);
    Finestra().show();
    Finestra().close();
    EXPECT_EQ(ValoreUtenti(QStringLiteral("SELECT COUNT(*) FROM KESTOLOG WHERE DATACHIUSURA IS NULL AND "
                                          "CODICESESSIONE=%1").arg(prima)),
              "1");
    EXPECT_EQ(ValoreUtenti(QStringLiteral("SELECT COUNT(*) FROM KESTOLOG WHERE DATACHIUSURA=CURRENT_DATE AND "
                                          "CODICESESSIONE=%1").arg(seconda)),
              "1");
    EXPECT_EQ(Finestra().TabXForm, nullptr);
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
}

TEST_F(Sessioni, SessionClosedElsewhereRefusesLaunchesAndIsNotClosedAgain) {
    Voce(2, "Apri1");
    Entra("ROSSI");
    Utenti({QStringLiteral("UPDATE KESTOLOG SET DATACHIUSURA='01/02/2020', ORACHIUSURA='10:00:00' "
                           "WHERE CODICESESSIONE=%1").arg(Finestra().CodiceSessione)});
    Finestra().EseguiFunzioneVoce(10, 2, 1);
    EXPECT_EQ(msg->Testi(),
              QStringList{"Attenzione: la sessione corrente risulta chiusa. Si prega di uscire e rientrare"});
    EXPECT_EQ(libreria.NumeroChiamate(), 0);
    EXPECT_EQ(ValoreUtenti("SELECT COUNT(*) FROM KESTOLOGFUNZ"), "0");
    msg->Svuota();
    Finestra().show();
    Finestra().close();
    EXPECT_TRUE(msg->Testi().isEmpty());
    EXPECT_EQ(ValoreUtenti("SELECT DATACHIUSURA FROM KESTOLOG"), "02/01/2020"); // written month first
}

TEST_F(Sessioni, MissingSessionRowRefusesWithItsOwnWarning) {
    Voce(2, "Apri1");
    Entra("ROSSI");
    Utenti({"DELETE FROM KESTOLOG"});
    Finestra().EseguiFunzioneVoce(10, 2, 1);
    EXPECT_EQ(msg->Testi(), QStringList{"Attenzione: non risulta aperta nessuna sessione di lavoro"});
}

TEST_F(Sessioni, FailedOpeningIsDumpedAndTheUserStaysLoggedIn) {
    Utenti({"ALTER TABLE KESTOLOG ADD OBBLIGATORIA INTEGER NOT NULL"});
    const QString dump = QDir::current().filePath("Quendra.ApriSessione.sql");
    QFile::remove(dump);
    Entra("ROSSI");
    EXPECT_EQ(msg->Testi(), QStringList{"Errore interno: impossibile aprire la sessione utente"});
    EXPECT_TRUE(Finestra().SessioneAperta);
    QFile file(dump);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList righe = QString::fromLatin1(file.readAll()).split('\n');
    EXPECT_EQ(righe.value(0), "INSERT INTO KESTOLOG (CODICESESSIONE,DATAAPERTURA,ORAAPERTURA,");
    EXPECT_EQ(righe.value(5), "'1')");
    EXPECT_EQ(righe.size(), 7) << "six lines, each with its line break";
    file.remove();
}

class RegistroChiamate : public FinestraDiProva {};

TEST_F(RegistroChiamate, WindowIdentifiersOnlyWithTheWindowColumns) {
    for (const bool colonne : {true, false}) {
        SCOPED_TRACE(colonne);
        Chiudi();
        Utenti({"DELETE FROM KESTOLOGFUNZ"});
        if (!colonne)
            Utenti({"ALTER TABLE KESTOLOGFUNZ DROP HANDLEFINESTRA"});
        Entra("ROSSI");
        const qint32 primo = Finestra().AggiornaKestoLogFunz("Funzione'1");
        const qint32 secondo = Finestra().AggiornaKestoLogFunz("Funzione'1");
        if (colonne) {
            EXPECT_GT(primo, 0);
            EXPECT_NE(primo, secondo);
            EXPECT_EQ(ValoreUtenti("SELECT COUNT(DISTINCT IDFINESTRA) FROM KESTOLOGFUNZ"), "2");
        } else {
            EXPECT_EQ(primo, 0);
            EXPECT_EQ(secondo, 0);
            EXPECT_EQ(ValoreUtenti("SELECT COUNT(*) FROM KESTOLOGFUNZ WHERE IDFINESTRA IS NULL"), "2");
        }
        EXPECT_EQ(ValoreUtenti(QStringLiteral("SELECT COUNT(*) FROM KESTOLOGFUNZ WHERE FUNZIONECHIAMATA='Funzione''1' "
                                              "AND CODICESESSIONE=%1 AND DATACHIAMATAFUNZIONE=CURRENT_DATE")
                                   .arg(Finestra().CodiceSessione)),
                  "2");
    }
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
}

TEST_F(RegistroChiamate, FailedWriteWarnsSavesTheStatementAndTheIdentifierIsStillGiven) {
    Entra("ROSSI");
    const QString nome = "D'" + QString(255, QLatin1Char('F')); // longer than the column
    const qint32 id = Finestra().AggiornaKestoLogFunz(nome);
    EXPECT_GT(id, 0);
    EXPECT_EQ(ValoreUtenti("SELECT COUNT(*) FROM KESTOLOGFUNZ"), "0");
    ASSERT_EQ(msg->Mostrati.size(), 1u);
    EXPECT_EQ(msg->Mostrati[0].tipo, TipoMessaggio::Avviso);
    EXPECT_EQ(msg->Mostrati[0].testo, "Errore interno di INSERT: impossibile aggiornare il log delle voci di menu "
                                      "chiamata. Sarà comunque possibile continuare ad usare il programma");
    // The statement as it has always been written, with the identifier the launch goes on with.
    QFile dump(QDir::current().filePath("Quendra.AggiornaKestoLogFunz.sql"));
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    const QStringList righe = QString::fromLatin1(dump.readAll()).split('\n');
    dump.close();
    dump.remove();
    ASSERT_EQ(righe.size(), 11) << righe.join('|').toStdString();
    EXPECT_EQ(righe.mid(0, 4), QStringList({"INSERT INTO KESTOLOGFUNZ (CODICESESSIONE,DATACHIAMATAFUNZIONE,",
                                             "ORACHIAMATAFUNZIONE,FUNZIONECHIAMATA", ",IDFINESTRA", ") VALUES("}));
    EXPECT_EQ(righe[4], QStringLiteral("'%1',").arg(Finestra().CodiceSessione));
    EXPECT_EQ(righe[5], "'" + QDate::currentDate().toString("MM/dd/yyyy") + "',");
    EXPECT_TRUE(QRegularExpression("^'\\d\\d:\\d\\d:\\d\\d',$").match(righe[6]).hasMatch()) << righe[6].toStdString();
    EXPECT_EQ(righe[7], "'D''" + QString(255, QLatin1Char('F')) + "'");
    EXPECT_EQ(righe[8], QStringLiteral(",'%1'").arg(id));
    EXPECT_EQ(righe.mid(9), QStringList({")", ""}));
}

TEST_F(Login, WindowPositionIsStoredAtCloseAndAppliedAtTheNextLogin) {
    Entra("ROSSI");
    Finestra().show();
    Finestra().move(33, 44);
    Finestra().resize(640, 480);
    Finestra().close();
    EXPECT_EQ(ValoreUtenti("SELECT DIMX || 'x' || DIMY FROM STOPOS1 WHERE CODICESITUAZIONE=1 AND CODICEUTENTE=1 "
                           "AND CODICEPROGETTO=1"),
              "640x480");
    Chiudi();
    Entra("ROSSI");
    EXPECT_EQ(Finestra().size(), QSize(640, 480));
}

} // namespace
