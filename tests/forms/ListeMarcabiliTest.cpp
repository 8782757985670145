// The two lists of rows a user marks and acts on: open sessions and occupied semaphores.

#include "forms/Semafori.h"
#include "forms/Sessioni.h"

#include "datamodule/TabX.h"
#include "fixture/Installazione.h"
#include "fixture/MessaggiRegistrati.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using piattaforma::Risposta;
using piattaforma::TipoMessaggio;
using prova::InstallazioneDiProva;

namespace {

class ModuloDi : public TTabXForm {
public:
    explicit ModuloDi(qint32 numero) : TTabXForm(nullptr, SorgenteDatabase) { SetUserPerNum(numero); }
};

class Liste : public ::testing::Test {
protected:
    void SetUp() override {
        Utenti({"INSERT INTO UTENTI (CODICE, NOMEUTENTE, DITTA) VALUES (7, 'D''ANGELO', 'ALFA')",
                "INSERT INTO UTENTI (CODICE, NOMEUTENTE, DITTA) VALUES (8, 'VERDI', 'ALFA')"});
    }

    TTabXForm& Modulo() {
        if (!modulo_) {
            modulo_ = std::make_unique<TTabXForm>(nullptr, TTabXForm::SorgenteDatabase);
            modulo_->Crea();
            modulo_->SetUserPerNum(7);
            modulo_->ConnettiDatabase0(installazione.FileArchivio());
        }
        return *modulo_;
    }

    void Utenti(const QStringList& istruzioni) { InstallazioneDiProva::Esegui(installazione.FileUtenti(), istruzioni); }
    void Archivio(const QStringList& istruzioni) {
        InstallazioneDiProva::Esegui(installazione.FileArchivio(), istruzioni);
    }
    QString ValoreUtenti(const QString& s) { return InstallazioneDiProva::Valore(installazione.FileUtenti(), s); }
    QString ValoreArchivio(const QString& s) { return InstallazioneDiProva::Valore(installazione.FileArchivio(), s); }

    static QStringList Colonna(const TListaMarcabile& lista, int colonna) {
        QStringList valori;
        const QAbstractItemModel* m = lista.Griglia()->model();
        for (int r = 0; r < m->rowCount(); ++r)
            valori << m->index(r, colonna).data().toString();
        return valori;
    }
    static QStringList Titoli(const TListaMarcabile& lista) {
        QStringList titoli;
        const QAbstractItemModel* m = lista.Griglia()->model();
        for (int c = 0; c < m->columnCount(); ++c)
            titoli << m->headerData(c, Qt::Horizontal).toString();
        return titoli;
    }
    static void VaiARiga(TListaMarcabile& lista, int riga) {
        lista.Griglia()->setCurrentIndex(lista.Griglia()->model()->index(riga, 0));
    }
    // The columns the program adds come after the table's, which keep their order.
    static bool ColonneInOrdine(const TListaMarcabile& lista) {
        const QHeaderView* intestazioni = lista.Griglia()->horizontalHeader();
        for (int c = 0; c < intestazioni->count(); ++c) {
            if (intestazioni->visualIndex(c) != c)
                return false;
        }
        return true;
    }

    InstallazioneDiProva installazione;
    MessaggiInstallati msg;
    std::unique_ptr<TTabXForm> modulo_;
};

// Sessions 1 to 3 open for user 7, 4 closed; 5 open for user 8.
class Sessioni : public Liste {
protected:
    void SetUp() override {
        Liste::SetUp();
        Utenti({"INSERT INTO KESTOLOG VALUES (1, '2026-12-01', '08:00:00', 7, NULL, NULL)",
                "INSERT INTO KESTOLOG VALUES (2, '2026-12-02', '09:00:00', 7, NULL, NULL)",
                "INSERT INTO KESTOLOG VALUES (3, '2026-12-03', '10:00:00', 7, NULL, NULL)",
                "INSERT INTO KESTOLOG VALUES (4, '2026-12-04', '11:00:00', 7, '2026-12-04', '12:00:00')",
                "INSERT INTO KESTOLOG VALUES (5, '2026-12-05', '12:00:00', 8, NULL, NULL)"});
    }
    QString Aperte() {
        return ValoreUtenti("SELECT LIST(CODICESESSIONE, ',') FROM (SELECT CODICESESSIONE FROM KESTOLOG "
                            "WHERE DATACHIUSURA IS NULL ORDER BY CODICESESSIONE)");
    }
};

TEST_F(Sessioni, ListsOnlyTheUsersOpenSessionsWithTheFieldNamesAsTitles) {
    TSessioniForm finestra(nullptr, &Modulo());
    EXPECT_EQ(finestra.windowTitle(), "Sessioni aperte utente: D'ANGELO");
    EXPECT_EQ(Titoli(finestra), (QStringList{"CODICESESSIONE", "DATAAPERTURA", "ORAAPERTURA", "In uso"}));
    EXPECT_TRUE(ColonneInOrdine(finestra));
    QStringList codici = Colonna(finestra, 0);
    codici.sort();
    EXPECT_EQ(codici, (QStringList{"1", "2", "3"}));
    EXPECT_TRUE(msg->Testi().isEmpty());
}

// Marks change by F3 released in the grid, a double click, mark all and clear all; a code is
// marked at most once and other keys do nothing.
TEST_F(Sessioni, MarksFollowF3DoubleClickAndTheTwoButtons) {
    TSessioniForm finestra(nullptr, &Modulo());
    finestra.show();
    QTableView* griglia = finestra.GridSessioni;
    const QString primo = finestra.Righe().Chiave(0);
    const QString secondo = finestra.Righe().Chiave(1);
    const struct {
        const char* passo;
        std::function<void()> azione;
        std::function<QStringList()> attese;
    } passi[] = {
        {"F3 on the first row", [&] { VaiARiga(finestra, 0); QTest::keyRelease(griglia, Qt::Key_F3); },
         [&] { return QStringList{primo}; }},
        {"F2 does nothing", [&] { QTest::keyRelease(griglia, Qt::Key_F2); }, [&] { return QStringList{primo}; }},
        {"double click on the second row",
         [&] {
             VaiARiga(finestra, 1);
             QTest::mouseDClick(griglia->viewport(), Qt::LeftButton, {},
                                griglia->visualRect(griglia->model()->index(1, 1)).center());
         },
         [&] { return QStringList{primo, secondo}; }},
        {"F3 again unmarks", [&] { VaiARiga(finestra, 0); QTest::keyRelease(griglia, Qt::Key_F3); },
         [&] { return QStringList{secondo}; }},
        {"mark all", [&] { finestra.ButtonSel->click(); },
         [&] { return QStringList{primo, secondo, finestra.Righe().Chiave(2)}; }},
        {"mark all twice", [&] { finestra.ButtonSel->click(); },
         [&] { return QStringList{primo, secondo, finestra.Righe().Chiave(2)}; }},
        {"clear all", [&] { finestra.ButtonDeSel->click(); }, [&] { return QStringList{}; }},
    };
    for (const auto& passo : passi) {
        SCOPED_TRACE(passo.passo);
        passo.azione();
        EXPECT_EQ(finestra.ListaSelezionate, passo.attese());
    }
}

// Marked rows are painted in the marking colour, the others in the window colour.
TEST_F(Sessioni, MarkedRowsArePaintedApart) {
    TSessioniForm finestra(nullptr, &Modulo());
    finestra.show();
    VaiARiga(finestra, 1);
    finestra.CommutaRigaCorrente();
    QTableView* griglia = finestra.GridSessioni;
    const QImage immagine = griglia->viewport()->grab().toImage();
    const auto colore = [&](int riga) {
        const QRect cella = griglia->visualRect(griglia->model()->index(riga, 0));
        return immagine.pixelColor(cella.right() - 2, cella.bottom() - 1);
    };
    EXPECT_EQ(colore(1), griglia->palette().color(QPalette::Highlight));
    EXPECT_EQ(colore(0), griglia->palette().color(QPalette::Base));
    EXPECT_NE(colore(0), colore(1));
}

TEST_F(Sessioni, AnEmptyListMarksNothing) {
    Utenti({"UPDATE KESTOLOG SET DATACHIUSURA='2026-12-09' WHERE CODICEUTENTE=7"});
    TSessioniForm finestra(nullptr, &Modulo());
    finestra.show();
    QTest::keyRelease(finestra.GridSessioni, Qt::Key_F3);
    QTest::mouseDClick(finestra.GridSessioni->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    finestra.ButtonSel->click();
    EXPECT_TRUE(finestra.ListaSelezionate.isEmpty());
    msg->Rispondi(Risposta::Si);
    finestra.ButtonChiudiSel->click();
    EXPECT_EQ(msg->Testi(), QStringList{"Effettuare la chiusura delle sessioni selezionate?"});
}

TEST_F(Sessioni, ClosingGivesEveryMarkedSessionTheSameMomentAndReloadsTheList) {
    TSessioniForm finestra(nullptr, &Modulo());
    finestra.ListaSelezionate = QStringList{"3", "1"};
    msg->Rispondi(Risposta::No);
    finestra.ButtonChiudiSel->click();
    EXPECT_EQ(Aperte(), "1,2,3,5") << "No writes nothing";

    msg->Rispondi(Risposta::Si);
    const QDateTime prima = QDateTime::currentDateTime().addSecs(-1);
    finestra.ButtonChiudiSel->click();
    EXPECT_EQ(Aperte(), "2,5");
    EXPECT_EQ(ValoreUtenti("SELECT COUNT(DISTINCT CAST(DATACHIUSURA AS VARCHAR(10)) || ORACHIUSURA) FROM KESTOLOG "
                           "WHERE CODICESESSIONE IN (1, 3)"),
              "1");
    const QDateTime chiusura = QDateTime::fromString(
        ValoreUtenti("SELECT CAST(DATACHIUSURA + ORACHIUSURA AS VARCHAR(24)) FROM KESTOLOG WHERE CODICESESSIONE=1")
            .left(19),
        "yyyy-MM-dd hh:mm:ss");
    EXPECT_GE(chiusura, prima);
    EXPECT_LE(chiusura, QDateTime::currentDateTime());
    EXPECT_EQ(Colonna(finestra, 0), QStringList{"2"});
    EXPECT_EQ(finestra.ListaSelezionate, (QStringList{"3", "1"})) << "marks outlive the reload";
    EXPECT_EQ(Titoli(finestra).value(3), "In uso");
    EXPECT_TRUE(ColonneInOrdine(finestra));

    // Again with the same marks: the closing moment is written anew. The mark of the first
    // close is changed in the window's own transaction, which another one could not touch.
    fb::TQuery segna(&Modulo().IBDatabaseUser, &Modulo().TransazioneUser);
    segna.ImpostaSQL({"UPDATE KESTOLOG SET ORACHIUSURA='00:00:01' WHERE CODICESESSIONE IN (1, 3)"});
    segna.ExecSQL();
    msg->Rispondi(Risposta::Si);
    finestra.ButtonChiudiSel->click();
    EXPECT_EQ(ValoreUtenti("SELECT COUNT(*) FROM KESTOLOG WHERE ORACHIUSURA='00:00:01'"), "0");
    EXPECT_EQ(msg->Testi().size(), 3) << msg->Testi().join('|').toStdString();
}

// The second of three updates fails: the first is rolled back too, and no statement file is
// written for sessions.
TEST_F(Sessioni, AFailedUpdateRollsBackTheWholeClose) {
    Utenti({"CREATE EXCEPTION SESSIONE_BLOCCATA 'bloccata'",
            "CREATE TRIGGER BLOCCA_2 FOR KESTOLOG BEFORE UPDATE AS BEGIN "
            "IF (NEW.CODICESESSIONE = 2) THEN EXCEPTION SESSIONE_BLOCCATA; END"});
    QTemporaryDir corrente;
    const QString precedente = QDir::currentPath();
    QDir::setCurrent(corrente.path());
    TSessioniForm finestra(nullptr, &Modulo());
    finestra.ListaSelezionate = QStringList{"1", "2", "3"};
    msg->Rispondi(Risposta::Si);
    finestra.ButtonChiudiSel->click();
    QDir::setCurrent(precedente);
    EXPECT_EQ(msg->Testi(), (QStringList{"Effettuare la chiusura delle sessioni selezionate?",
                                         "Errore interno di UPDATE: impossibile chiudere le sessioni selezionate. "
                                         "Riprovare"}));
    EXPECT_EQ(msg->Mostrati.back().tipo, TipoMessaggio::Errore);
    EXPECT_EQ(Aperte(), "1,2,3,5");
    EXPECT_EQ(Colonna(finestra, 0).size(), 3);
    EXPECT_TRUE(QDir(corrente.path()).entryList(QDir::Files).isEmpty());
}

// A commit the engine refuses fails the close as its last update would: nothing is closed,
// nothing stays pending, and the next close works.
TEST_F(Sessioni, ARefusedCommitFailsTheCloseAndLeavesNothingPending) {
    Utenti({"CREATE EXCEPTION CONFERMA_RIFIUTATA 'rifiutata'",
            "CREATE TRIGGER RIFIUTA_CONFERMA ON TRANSACTION COMMIT AS BEGIN "
            "IF (EXISTS(SELECT 1 FROM KESTOLOG WHERE CODICESESSIONE=3 AND DATACHIUSURA IS NOT NULL)) THEN "
            "EXCEPTION CONFERMA_RIFIUTATA; END"});
    TSessioniForm finestra(nullptr, &Modulo());
    finestra.ListaSelezionate = QStringList{"1", "3"};
    msg->Rispondi(Risposta::Si);
    finestra.ButtonChiudiSel->click();
    EXPECT_EQ(msg->Testi().value(1),
              "Errore interno di UPDATE: impossibile chiudere le sessioni selezionate. Riprovare");
    EXPECT_EQ(Aperte(), "1,2,3,5");

    finestra.ListaSelezionate = QStringList{"1"};
    msg->Svuota();
    msg->Rispondi(Risposta::Si);
    finestra.ButtonChiudiSel->click();
    EXPECT_EQ(msg->Testi(), QStringList{"Effettuare la chiusura delle sessioni selezionate?"});
    EXPECT_EQ(Aperte(), "2,3,5");
}

// Semaphores 10, 30, 20 occupied (of two users), 40 freed.
class Semafori : public Liste {
protected:
    void SetUp() override {
        Liste::SetUp();
        Archivio({"INSERT INTO SEMAFORIF VALUES (10, 'a.dll', 'FormA', 7, 1, '2026-12-01 08:00:00')",
                  "INSERT INTO SEMAFORIF VALUES (30, 'b.dll', 'FormB', 8, 1, '2026-12-02 09:00:00')",
                  "INSERT INTO SEMAFORIF VALUES (20, 'a.dll', 'FormA', 8, 1, '2026-12-03 10:00:00')",
                  "INSERT INTO SEMAFORIF VALUES (40, 'c.dll', 'FormC', 7, 0, '2026-12-04 11:00:00')"});
    }
    QString Occupati() {
        return ValoreArchivio("SELECT LIST(ID, ',') FROM (SELECT ID FROM SEMAFORIF WHERE OCCUPATO=1 ORDER BY ID)");
    }
    QString Anomalie() {
        return ValoreArchivio("SELECT LIST(UTENTE || '|' || DLL || '|' || FORM || '|' || DESCRIZIONE, ';') "
                              "FROM SEMAFORIFANOMALIE");
    }
};

TEST_F(Semafori, ListsEveryUsersOccupiedSemaphoresNewestFirstWithEveryColumn) {
    TSemaforiForm finestra(nullptr, &Modulo());
    EXPECT_EQ(finestra.windowTitle(), "Gestione semafori - Utente: D'ANGELO");
    EXPECT_EQ(Titoli(finestra).mid(0, 6),
              (QStringList{"ID", "DLL", "FORM", "UTENTE", "OCCUPATO", "DATAORAOCCUPAZIONE"}));
    EXPECT_EQ(Colonna(finestra, 0), (QStringList{"30", "20", "10"}));
    EXPECT_EQ(Colonna(finestra, 3), (QStringList{"8", "8", "7"}));
}

// Beside the table's columns, who holds each one in words, from the call log row of the same
// window identifier: nothing for a semaphore without one, nothing at all (and no message)
// when the call log has no window column.
TEST_F(Semafori, TheHolderIsNamedFromTheCallLog) {
    Utenti({"INSERT INTO KESTOLOG VALUES (4, '2026-12-04', '11:00:00', 7, '2026-12-04', '12:00:00')",
            "INSERT INTO KESTOLOG VALUES (5, '2026-12-05', '12:00:00', 8, NULL, NULL)",
            "INSERT INTO KESTOLOGFUNZ (CODICESESSIONE, FUNZIONECHIAMATA, IDFINESTRA) VALUES (5, 'ApriB', 30)",
            "INSERT INTO KESTOLOGFUNZ (CODICESESSIONE, FUNZIONECHIAMATA, IDFINESTRA) VALUES (4, 'ApriA', 10)",
            "INSERT INTO KESTOLOGFUNZ (CODICESESSIONE, FUNZIONECHIAMATA, IDFINESTRA) VALUES (4, 'Altra', 11)"});
    {
        TSemaforiForm finestra(nullptr, &Modulo());
        EXPECT_EQ(Titoli(finestra).mid(6), (QStringList{"Occupato da", "Funzione"}));
        EXPECT_TRUE(ColonneInOrdine(finestra));
        EXPECT_EQ(Colonna(finestra, 6), (QStringList{"VERDI", "", "D'ANGELO (sessione chiusa)"}));
        EXPECT_EQ(Colonna(finestra, 7), (QStringList{"ApriB", "", "ApriA"}));
    }
    modulo_.reset();
    Utenti({"ALTER TABLE KESTOLOGFUNZ DROP IDFINESTRA"});
    TSemaforiForm finestra(nullptr, &Modulo());
    EXPECT_EQ(Colonna(finestra, 6), (QStringList{"", "", ""}));
    EXPECT_TRUE(msg->Testi().isEmpty());
}

TEST_F(Semafori, AnArchiveWithoutTheTableOpensWithAnEmptyGridAndExtraColumnsAreShown) {
    Archivio({"ALTER TABLE SEMAFORIF ADD NOTA VARCHAR(20)"});
    {
        TSemaforiForm finestra(nullptr, &Modulo());
        EXPECT_EQ(Titoli(finestra).value(6), "NOTA");
        EXPECT_EQ(Colonna(finestra, 0).size(), 3);
    }
    modulo_.reset();
    Archivio({"DROP TABLE SEMAFORIF"});
    TSemaforiForm finestra(nullptr, &Modulo());
    EXPECT_EQ(msg->Testi(), QStringList{"Errore: tabella SEMAFORIF non esistente nell'archivio corrente. "
                                        "Eseguire prima le manutenzioni."});
    EXPECT_EQ(finestra.GridSemafori->model()->rowCount(), 0);
    finestra.show();
    QTest::keyRelease(finestra.GridSemafori, Qt::Key_F3);
    finestra.ButtonSel->click();
    EXPECT_TRUE(finestra.ListaSelezionate.isEmpty());
}

// What each use of the freeing button writes: the freed semaphores and one record of the use
// whenever the question was asked.
TEST_F(Semafori, FreeingWritesTheMarkedSemaphoresAndRecordsEveryUseThatAsked) {
    const struct {
        const char* caso;
        QStringList marche;
        std::optional<Risposta> risposta;
        QStringList messaggi;
        QString occupati;
        QString anomalie;
    } casi[] = {
        {"no mark", {}, std::nullopt, {"Selezionare almeno un semaforo da liberare"}, "10,20,30", ""},
        {"No", {"30"}, Risposta::No, {"Liberare i semafori selezionati?"}, "10,20,30", "7|||Libera semafori"},
        {"Yes, three", {"30", "20", "10"}, Risposta::Si, {"Liberare i semafori selezionati?"}, "",
         "7|||Libera semafori"},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.caso);
        Archivio({"UPDATE SEMAFORIF SET OCCUPATO=1 WHERE ID<>40", "DELETE FROM SEMAFORIFANOMALIE"});
        TSemaforiForm finestra(nullptr, &Modulo());
        finestra.ListaSelezionate = caso.marche;
        if (caso.risposta)
            msg->Rispondi(*caso.risposta);
        finestra.ButtonLiberaSemafori->click();
        EXPECT_EQ(msg->Testi(), caso.messaggi);
        EXPECT_EQ(Occupati(), caso.occupati);
        EXPECT_EQ(Anomalie(), caso.anomalie);
        EXPECT_EQ(finestra.ListaSelezionate, caso.marche);
        EXPECT_EQ(Colonna(finestra, 0).size(), caso.occupati.isEmpty() ? 0 : caso.occupati.count(',') + 1);
        msg->Svuota();
    }
}

// An archive whose identifiers are text: one NULL (never marked), one with a quote.
TEST_F(Semafori, IdentifiersThatAreNullOrNotNumbersAreHandledAsText) {
    Archivio({"DROP TABLE SEMAFORIF"});
    Archivio({"CREATE TABLE SEMAFORIF (ID VARCHAR(20), DLL VARCHAR(100), FORM VARCHAR(255), UTENTE INTEGER, "
              "OCCUPATO SMALLINT, DATAORAOCCUPAZIONE TIMESTAMP)"});
    Archivio({"INSERT INTO SEMAFORIF VALUES (NULL, 'a.dll', 'FormA', 7, 1, NULL)",
              "INSERT INTO SEMAFORIF VALUES ('abc', 'a.dll', 'FormA', 7, 1, NULL)",
              "INSERT INTO SEMAFORIF VALUES ('x''y', 'a.dll', 'FormA', 8, 1, NULL)"});
    TSemaforiForm finestra(nullptr, &Modulo());
    finestra.ButtonSel->click();
    EXPECT_EQ(finestra.ListaSelezionate, (QStringList{"x'y", "abc"}));
    msg->Rispondi(Risposta::Si);
    finestra.ButtonLiberaSemafori->click();
    EXPECT_EQ(msg->Testi(), QStringList{"Liberare i semafori selezionati?"});
    EXPECT_EQ(ValoreArchivio("SELECT COUNT(*) FROM SEMAFORIF WHERE OCCUPATO=1 AND ID IS NULL"), "1");
    EXPECT_EQ(ValoreArchivio("SELECT COUNT(*) FROM SEMAFORIF WHERE OCCUPATO=1"), "1");
    EXPECT_EQ(Colonna(finestra, 0), QStringList{""});
}

TEST_F(Semafori, AFailureOnTheSecondOfThreeLeavesAllThreeOccupied) {
    Archivio({"CREATE EXCEPTION SEMAFORO_BLOCCATO 'bloccato'",
              "CREATE TRIGGER BLOCCA_20 FOR SEMAFORIF BEFORE UPDATE AS BEGIN "
              "IF (NEW.ID = 20) THEN EXCEPTION SEMAFORO_BLOCCATO; END"});
    TSemaforiForm finestra(nullptr, &Modulo());
    finestra.ListaSelezionate = QStringList{"30", "20", "10"};
    msg->Rispondi(Risposta::Si);
    finestra.ButtonLiberaSemafori->click();
    EXPECT_EQ(msg->Testi(), (QStringList{"Liberare i semafori selezionati?",
                                         "Errore interno di UPDATE: impossibile liberare il semaforo selezionato. "
                                         "Riprovare"}));
    EXPECT_EQ(Occupati(), "10,20,30");
    EXPECT_EQ(Anomalie(), "7|||Libera semafori");
    EXPECT_EQ(Colonna(finestra, 0), (QStringList{"30", "20", "10"}));
}

// Semaphores: the same headers and columns whether any is occupied or none.
TEST_F(Semafori, AnEmptyListShowsTheSameColumnsAsAFullOne) {
    Utenti({"INSERT INTO KESTOLOG VALUES (5, '2026-12-05', '12:00:00', 8, NULL, NULL)",
            "INSERT INTO KESTOLOGFUNZ (CODICESESSIONE, FUNZIONECHIAMATA, IDFINESTRA) VALUES (5, 'ApriB', 30)"});
    const QStringList attesi = {"ID",       "DLL",      "FORM",        "UTENTE",
                                "OCCUPATO", "DATAORAOCCUPAZIONE", "Occupato da", "Funzione"};
    const struct {
        const char* caso;
        const char* occupati;
        int righe;
    } casi[] = {{"three occupied", "1", 3}, {"none occupied", "0", 0}};
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.caso);
        modulo_.reset();
        Archivio({QStringLiteral("UPDATE SEMAFORIF SET OCCUPATO=%1 WHERE ID<>40").arg(caso.occupati)});
        TSemaforiForm finestra(nullptr, &Modulo());
        finestra.show();
        EXPECT_EQ(finestra.GridSemafori->model()->rowCount(), caso.righe);
        EXPECT_EQ(Titoli(finestra), attesi);
        const QHeaderView* intestazioni = finestra.GridSemafori->horizontalHeader();
        QStringList mostrati;
        for (int c = 0; c < intestazioni->count(); ++c) {
            if (!intestazioni->isSectionHidden(c) && intestazioni->sectionSize(c) > 0)
                mostrati << intestazioni->model()->headerData(c, Qt::Horizontal).toString();
        }
        EXPECT_EQ(mostrati, attesi);
        EXPECT_TRUE(ColonneInOrdine(finestra));
        EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    }
}

// At the opening size the sessions' code, date and time can be read: what the program adds
// comes after them.
TEST_F(Sessioni, TheTableColumnsAreInViewAtTheOpeningSize) {
    TSessioniForm finestra(nullptr, &Modulo());
    finestra.show();
    QApplication::processEvents();
    const QTableView* griglia = finestra.GridSessioni;
    const QHeaderView* intestazioni = griglia->horizontalHeader();
    const int larghezza = griglia->viewport()->width();
    for (int c = 0; c < 3; ++c) {
        SCOPED_TRACE(Titoli(finestra).value(c).toStdString());
        const QString testo = griglia->model()->index(0, c).data().toString();
        ASSERT_FALSE(testo.isEmpty());
        EXPECT_GE(intestazioni->sectionViewportPosition(c), 0);
        EXPECT_LE(intestazioni->sectionViewportPosition(c) + 2 + griglia->fontMetrics().horizontalAdvance(testo),
                  larghezza);
    }
}

// Both lists, each with three rows: sessions 1 to 3 of user 7, semaphores 10 to 30.
class Marcatura : public Liste {
protected:
    void SetUp() override {
        Liste::SetUp();
        Utenti({"INSERT INTO KESTOLOG VALUES (1, '2026-12-01', '08:00:00', 7, NULL, NULL)",
                "INSERT INTO KESTOLOG VALUES (2, '2026-12-02', '09:00:00', 7, NULL, NULL)",
                "INSERT INTO KESTOLOG VALUES (3, '2026-12-03', '10:00:00', 7, NULL, NULL)"});
        Archivio({"INSERT INTO SEMAFORIF VALUES (10, 'a.dll', 'FormA', 7, 1, '2026-12-01 08:00:00')",
                  "INSERT INTO SEMAFORIF VALUES (20, 'b.dll', 'FormB', 8, 1, '2026-12-02 09:00:00')",
                  "INSERT INTO SEMAFORIF VALUES (30, 'c.dll', 'FormC', 8, 1, '2026-12-03 10:00:00')"});
    }

    struct Finestra {
        const char* nome;
        std::function<std::unique_ptr<TListaMarcabile>(TTabXForm&)> crea;
    };
    const std::vector<Finestra> finestre = {
        {"Sessioni", [](TTabXForm& m) { return std::make_unique<TSessioniForm>(nullptr, &m); }},
        {"Gestione semafori", [](TTabXForm& m) { return std::make_unique<TSemaforiForm>(nullptr, &m); }},
    };

    // F3 held down: the press, then as many repeated release and press pairs as the keyboard
    // repeats, then the real release.
    static void TieniPremutoF3(QWidget* griglia, int ripetizioni) {
        QKeyEvent premuto(QEvent::KeyPress, Qt::Key_F3, Qt::NoModifier);
        QApplication::sendEvent(griglia, &premuto);
        for (int i = 0; i < ripetizioni; ++i) {
            QKeyEvent rilascio(QEvent::KeyRelease, Qt::Key_F3, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(griglia, &rilascio);
            QKeyEvent ripetuto(QEvent::KeyPress, Qt::Key_F3, Qt::NoModifier, QString(), true);
            QApplication::sendEvent(griglia, &ripetuto);
        }
        QKeyEvent rilasciato(QEvent::KeyRelease, Qt::Key_F3, Qt::NoModifier);
        QApplication::sendEvent(griglia, &rilasciato);
    }
};

// However long F3 is held, one press toggles the mark once.
TEST_F(Marcatura, HoldingF3TogglesOnce) {
    for (const Finestra& f : finestre) {
        for (const int ripetizioni : {0, 1, 2, 3, 8}) {
            SCOPED_TRACE(QStringLiteral("%1, %2 repeats").arg(f.nome).arg(ripetizioni).toStdString());
            const auto finestra = f.crea(Modulo());
            finestra->show();
            VaiARiga(*finestra, 1);
            const QString chiave = finestra->Righe().Chiave(1);
            TieniPremutoF3(finestra->Griglia(), ripetizioni);
            EXPECT_EQ(finestra->ListaSelezionate, QStringList{chiave});
            TieniPremutoF3(finestra->Griglia(), ripetizioni);
            EXPECT_TRUE(finestra->ListaSelezionate.isEmpty());
        }
    }
}

// A double click marks the row under the pointer, whichever row was current before, and
// makes it current.
TEST_F(Marcatura, ADoubleClickMarksTheRowClicked) {
    for (const Finestra& f : finestre) {
        for (int prima = 0; prima < 3; ++prima) {
            for (int cliccata = 0; cliccata < 3; ++cliccata) {
                SCOPED_TRACE(QStringLiteral("%1, row %2 current, row %3 clicked")
                                 .arg(f.nome)
                                 .arg(prima)
                                 .arg(cliccata)
                                 .toStdString());
                const auto finestra = f.crea(Modulo());
                finestra->show();
                QTableView* griglia = finestra->Griglia();
                griglia->setCurrentIndex(griglia->model()->index(prima, 2));
                QTest::mouseDClick(griglia->viewport(), Qt::LeftButton, {},
                                   griglia->visualRect(griglia->model()->index(cliccata, 1)).center());
                EXPECT_EQ(finestra->ListaSelezionate, QStringList{finestra->Righe().Chiave(cliccata)});
                EXPECT_EQ(griglia->currentIndex().row(), cliccata);
            }
        }
    }
}

} // namespace
