#include "forms/MemoNorvane.h"

#include "datamodule/TabX.h"
#include "fb/Query.h"
#include "fb/Transazione.h"
#include "fixture/Dialoghi.h"
#include "fixture/Installazione.h"
#include "fixture/MessaggiRegistrati.h"
#include "forms/AbilitaDitte.h"
#include "forms/SelDir.h"
#include "piattaforma/Codifica.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTextCursor>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using prova::InstallazioneDiProva;

namespace {

const QString ErroreUpdate =
    "Errore interno di UPDATE: impossibile aggiornare i parametri norvane dell'utente";
const QString ErroreDelete = "Errore interno di DELETE: impossibile aggiornare la tabella "
                             "TABNORVANE. Chiudere il programma e riaprirlo";
const QString ErroreInsert = "Errore interno di INSERT: impossibile aggiornare la tabella "
                             "TABNORVANE. Chiudere il programma e riaprirlo";

// User 7 edits; user 8's rows must never change.
const QString RigheUtente8 = "8|ALFA|Archivio|d:\\dati\\alfa.fdb|1;8|BETA|X|<NULL>|2";
const QString RigheVecchie7 = "7|VECCHIA|P|vecchio|1";

class MemoNorvane : public ::testing::Test {
protected:
    void SetUp() override {
        Utenti({"INSERT INTO UTENTI (CODICE,NOMEUTENTE,PWDUTENTE,DITTA,NORVANE) "
                "VALUES (7,'ROSSI','segreta','VECCHIA','[VECCHIA]\nP=vecchio\n')",
                "INSERT INTO UTENTI (CODICE,NOMEUTENTE,DITTA) VALUES (8,'BIANCHI','ALFA')",
                "INSERT INTO TABNORVANE (UTENTE,INTESTAZIONE,PARAMETRO,VALORE,PROGRESSIVO) "
                "VALUES (7,'VECCHIA','P','vecchio',1)",
                "INSERT INTO TABNORVANE (UTENTE,INTESTAZIONE,PARAMETRO,VALORE,PROGRESSIVO) "
                "VALUES (8,'ALFA','Archivio','d:\\dati\\alfa.fdb',1)",
                "INSERT INTO TABNORVANE (UTENTE,INTESTAZIONE,PARAMETRO,VALORE,PROGRESSIVO) "
                "VALUES (8,'BETA','X',NULL,2)"});
        modulo = std::make_unique<TTabXForm>(nullptr, TTabXForm::SorgenteDatabase);
        modulo->Crea();
        modulo->SetUserPerNum(7);
    }

    void Utenti(const QStringList& istruzioni) {
        InstallazioneDiProva::Esegui(installazione.FileUtenti(), istruzioni);
    }
    QString Valore(const QString& istruzione) {
        return InstallazioneDiProva::Valore(installazione.FileUtenti(), istruzione);
    }

    // A user's rows in PROGRESSIVO order as "UTENTE|INTESTAZIONE|PARAMETRO|VALORE|PROGRESSIVO"
    // joined by ";", NULL shown as <NULL>.
    QString Righe(int utente) {
        fb::TDatabase database;
        prova::ImpostaParametriApertura(database, installazione.FileUtenti());
        database.Open();
        fb::TTransazione transazione(&database);
        fb::TQuery query(&database, &transazione);
        query.SQL.Add(
            QStringLiteral("SELECT * FROM TABNORVANE WHERE UTENTE=%1 ORDER BY PROGRESSIVO")
                .arg(utente));
        query.Open();
        QStringList righe;
        for (; !query.Eof(); query.Next()) {
            QStringList campi;
            for (const char* nome :
                 {"UTENTE", "INTESTAZIONE", "PARAMETRO", "VALORE", "PROGRESSIVO"}) {
                const fb::TCampo& campo = query.FieldByName(nome);
                campi << (campo.IsNull() ? QStringLiteral("<NULL>") : campo.AsString());
            }
            righe << campi.join(u'|');
        }
        return righe.join(u';');
    }

    QString Norvane() { return Valore("SELECT NORVANE FROM UTENTI WHERE CODICE=7"); }

    std::unique_ptr<TMemoNorvaneForm> Editor() {
        return std::make_unique<TMemoNorvaneForm>(nullptr, modulo.get());
    }

    // Types the text over the whole field and stores it with the editor's Ok.
    void MemorizzaConOk(const QString& testo) {
        auto editor = Editor();
        editor->show();
        editor->MemoSD->setPlainText(testo);
        editor->ButtonOk->click();
        EXPECT_FALSE(editor->isVisible()) << "Ok closes the editor";
    }

    InstallazioneDiProva installazione{{.DatabaseUtenti = true, .Archivio = false}};
    MessaggiInstallati msg;
    std::unique_ptr<TTabXForm> modulo;
};

TEST_F(MemoNorvane, OpensWithTheUsersNameAndStoredText) {
    auto editor = Editor();
    EXPECT_EQ(editor->windowTitle(), "Editazione parametri norvane - Ditta: ROSSI");
    EXPECT_EQ(editor->TestoMemo(), "[VECCHIA]\nP=vecchio\n");
    EXPECT_EQ(editor->size(), QSize(745, 523));
    EXPECT_TRUE(msg->Testi().isEmpty());
}

TEST_F(MemoNorvane, AUserWithoutTextOrWithoutRowOpensEmpty) {
    Utenti({"UPDATE UTENTI SET NORVANE=NULL WHERE CODICE=7"});
    EXPECT_EQ(Editor()->TestoMemo(), "");
    modulo->SetUserPerNum(99);
    auto editor = Editor();
    EXPECT_EQ(editor->TestoMemo(), "");
    EXPECT_EQ(editor->windowTitle(), "Editazione parametri norvane - Ditta: ");
}

TEST_F(MemoNorvane, OkStoresTheTextAndRebuildsTheUsersRowsInTextOrder) {
    const QString testo = "fuori=1\n"
                          "[ALFA]\n"
                          "Archivio=c:\\Gestionale\\archivio.fdb\n"
                          "Vuoto=\n"
                          "commento senza uguale\n"
                          "SQL=a=b\n"
                          "\n"
                          "dopo la riga vuota=no\n"
                          "[BETA <INATTIVA>]\n"
                          " Spazi = tenuti \n"
                          "Ultima=senza a capo";
    MemorizzaConOk(testo);
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    EXPECT_EQ(Norvane(), testo);
    EXPECT_EQ(Righe(7), "7|ALFA|Archivio|c:\\Gestionale\\archivio.fdb|1;"
                        "7|ALFA|Vuoto|<NULL>|2;"
                        "7|ALFA|SQL|a=b|3;"
                        "7|BETA <INATTIVA>| Spazi | tenuti |4;"
                        "7|BETA <INATTIVA>|Ultima|senza a capo|5");
    EXPECT_EQ(Righe(8), RigheUtente8);
}

TEST_F(MemoNorvane, CancelAndTheCloseBoxStoreNothing) {
    for (const auto& chiudi : std::vector<std::function<void(TMemoNorvaneForm&)>>{
             [](TMemoNorvaneForm& e) { e.ButtonCancel->click(); },
             [](TMemoNorvaneForm& e) { e.close(); }}) {
        auto editor = Editor();
        editor->show();
        editor->MemoSD->setPlainText("[NUOVA]\nQ=1\n");
        chiudi(*editor);
        EXPECT_FALSE(editor->isVisible());
    }
    EXPECT_EQ(Norvane(), "[VECCHIA]\nP=vecchio\n");
    EXPECT_EQ(Righe(7), RigheVecchie7);
}

// Storing takes the apostrophes out of the text on screen and in UTENTI, and sets the user
// again in the data module, which reads the company another workstation changed meanwhile.
TEST_F(MemoNorvane, StoringRemovesApostrophesAndReloadsTheUser) {
    Utenti({"UPDATE UTENTI SET DITTA='ALFA' WHERE CODICE=7"});
    ASSERT_EQ(modulo->GetDitta(), "VECCHIA");
    auto editor = Editor();
    editor->MemoSD->setPlainText("[Dell'Orto]\nNome='D'Angelo'\n'=\n");
    editor->Memorizzazione();
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    EXPECT_EQ(editor->TestoMemo(), "[DellOrto]\nNome=DAngelo\n=\n");
    EXPECT_EQ(Norvane(), "[DellOrto]\nNome=DAngelo\n=\n");
    EXPECT_EQ(Righe(7), "7|DellOrto|Nome|DAngelo|1");
    EXPECT_EQ(modulo->GetNumUser(), 7);
    EXPECT_EQ(modulo->GetNomeUser(), "ROSSI");
    EXPECT_EQ(modulo->GetDitta(), "ALFA");
}

// The rebuild alone, on a text that still holds apostrophes: values take the acute accent
// (0xB4 in the database), headings and names go in as written.
TEST_F(MemoNorvane, RebuildPutsTheAcuteAccentForApostrophesInValues) {
    auto editor = Editor();
    editor->MemoSD->setPlainText("[Dell'Orto]\nNome=D'Angelo ''x''\n");
    editor->AggiornaTabNorvane();
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    EXPECT_EQ(Righe(7), "7|Dell'Orto|Nome|D\u00b4Angelo \u00b4\u00b4x\u00b4\u00b4|1");
    EXPECT_EQ(Valore("SELECT POSITION(ASCII_CHAR(180) IN VALORE) FROM TABNORVANE WHERE UTENTE=7"),
              "2");
    EXPECT_EQ(Righe(8), RigheUtente8);
}

// Every character of the code page but the line ends and the apostrophe goes through the
// field, UTENTI.NORVANE and TABNORVANE unchanged (no-break space and controls included).
TEST_F(MemoNorvane, EveryCharacterOfTheCodePageIsStoredAsTyped) {
    QByteArray tutti;
    for (int b = 1; b < 256; ++b) {
        if (b != '\n' && b != '\r' && b != '\'')
            tutti += char(b);
    }
    const QString caratteri = piattaforma::DaCp1252(tutti);
    const QString testo = "[Società ´€]\nV=" + caratteri + "\n";
    MemorizzaConOk(testo);
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    EXPECT_EQ(Norvane(), testo);
    EXPECT_EQ(Valore("SELECT VALORE FROM TABNORVANE WHERE UTENTE=7"), caratteri);
    EXPECT_EQ(Valore("SELECT INTESTAZIONE FROM TABNORVANE WHERE UTENTE=7"), "Società ´€");
}

// Carriage returns count for nothing: the field leaves them out, so a lone one does not turn
// into a line break that would split a parameter.
TEST_F(MemoNorvane, CarriageReturnsOfTheStoredTextAreLeftOut) {
    Utenti({"UPDATE UTENTI SET NORVANE='[A]' || ASCII_CHAR(13) || ASCII_CHAR(10) || 'P=1' || "
            "ASCII_CHAR(13) || '2' || ASCII_CHAR(13) || ASCII_CHAR(10) || ASCII_CHAR(13) || "
            "ASCII_CHAR(10) || 'Q=fuori' WHERE CODICE=7"});
    auto editor = Editor();
    EXPECT_EQ(editor->TestoMemo(), "[A]\nP=12\n\nQ=fuori");
    editor->ButtonOk->click();
    EXPECT_EQ(Righe(7), "7|A|P|12|1");
}

// More parameters than the 4096 entries of the first design: all of them are stored.
TEST_F(MemoNorvane, MoreThan4096ParametersAreAllStored) {
    QString testo = "[A]\n";
    for (int i = 1; i <= 5000; ++i)
        testo += QStringLiteral("P%1=\n").arg(i);
    ASSERT_LT(testo.size(), 65535);
    MemorizzaConOk(testo);
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    EXPECT_EQ(Norvane(), testo);
    EXPECT_EQ(Valore("SELECT COUNT(*) FROM TABNORVANE WHERE UTENTE=7 AND VALORE IS NULL"), "5000");
    EXPECT_EQ(Valore("SELECT MAX(PROGRESSIVO) FROM TABNORVANE WHERE UTENTE=7"), "5000");
    EXPECT_EQ(Valore("SELECT PARAMETRO FROM TABNORVANE WHERE UTENTE=7 AND PROGRESSIVO=4097"),
              "P4097");
}

// The engine takes a text literal of 65,535 bytes at most: a longer text is refused with the
// UPDATE error, and neither the text nor the rows change.
TEST_F(MemoNorvane, ATextLongerThanAStatementAllowsStoresNothing) {
    QString testo = "[A]\n";
    for (int i = 1; i <= 800; ++i)
        testo += QStringLiteral("P%1=").arg(i) + QString(90, u'v') + u'\n';
    ASSERT_GT(testo.size(), 65535);
    MemorizzaConOk(testo);
    EXPECT_EQ(msg->Testi(), QStringList{ErroreUpdate});
    EXPECT_EQ(Norvane(), "[VECCHIA]\nP=vecchio\n");
    EXPECT_EQ(Righe(7), RigheVecchie7);
}

struct InsertCheFallisce {
    const char* come;
    QString testo;
};

// A failing INSERT in the middle rolls back the whole store: the user's old rows and the old
// UTENTI.NORVANE stay, so the next opening shows what the program reads. The editor's
// transaction works again afterwards.
TEST_F(MemoNorvane, AFailingInsertKeepsTheOldTextAndRowsAndShowsTheInsertError) {
    const InsertCheFallisce casi[] = {
        {"the same name twice under a heading", "[A]\nP=1\nQ=2\nP=3\nR=4\n"},
        {"a value longer than the column", "[A]\nP=1\nQ=" + QString(1001, u'x') + "\nR=4\n"},
        {"a heading longer than the column", "[A]\nP=1\n[" + QString(121, u'h') + "]\nQ=2\n"},
    };
    for (const InsertCheFallisce& caso : casi) {
        SCOPED_TRACE(caso.come);
        auto editor = Editor();
        editor->show();
        editor->MemoSD->setPlainText(caso.testo);
        editor->ButtonOk->click();
        EXPECT_EQ(msg->Testi(), QStringList{ErroreInsert});
        EXPECT_EQ(msg->Mostrati.at(0).tipo, piattaforma::TipoMessaggio::Errore);
        EXPECT_EQ(Righe(7), RigheVecchie7);
        EXPECT_EQ(Righe(8), RigheUtente8);
        EXPECT_EQ(Norvane(), "[VECCHIA]\nP=vecchio\n");
        EXPECT_EQ(Editor()->TestoMemo(), "[VECCHIA]\nP=vecchio\n");
        msg->Svuota();
    }
    auto editor = Editor();
    editor->MemoSD->setPlainText("[A]\nP=1\n");
    editor->Memorizzazione();
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    EXPECT_EQ(Righe(7), "7|A|P|1|1");
    EXPECT_EQ(Norvane(), "[A]\nP=1\n");
}

TEST_F(MemoNorvane, AFailingDeleteStoresNothingAndShowsTheDeleteError) {
    Utenti({"CREATE EXCEPTION NORVANE_BLOCCATA 'bloccata'",
            "CREATE TRIGGER TABNORVANE_BLOCCO FOR TABNORVANE BEFORE DELETE AS BEGIN "
            "IF (OLD.UTENTE = 7) THEN EXCEPTION NORVANE_BLOCCATA; END"});
    MemorizzaConOk("[A]\nP=1\nQ=2\n");
    EXPECT_EQ(msg->Testi(), QStringList{ErroreDelete});
    EXPECT_EQ(Righe(7), RigheVecchie7);
    EXPECT_EQ(Norvane(), "[VECCHIA]\nP=vecchio\n");
}

// Another workstation holds the user's row: the UPDATE fails at once (no wait), and the old
// text and rows stay.
TEST_F(MemoNorvane, AFailingUpdateKeepsTheOldTextAndRows) {
    auto editor = Editor();
    fb::TDatabase altra;
    prova::ImpostaParametriApertura(altra, installazione.FileUtenti());
    altra.Open();
    fb::TTransazione blocco(&altra);
    fb::TQuery query(&altra, &blocco);
    query.SQL.Add("UPDATE UTENTI SET DITTA=DITTA WHERE CODICE=7");
    query.ExecSQL();

    editor->MemoSD->setPlainText("[A]\nP=1\n");
    editor->Memorizzazione();
    EXPECT_EQ(msg->Testi(), QStringList{ErroreUpdate});
    blocco.Rollback();
    EXPECT_EQ(Norvane(), "[VECCHIA]\nP=vecchio\n");
    EXPECT_EQ(Righe(7), RigheVecchie7);
}

// The inserted text replaces the selection, or goes in at the caret.
void SelezionaDopo(QPlainTextEdit* memo, const QString& prima, int lunghezza) {
    QTextCursor cursore = memo->textCursor();
    const int inizio = memo->toPlainText().indexOf(prima) + prima.size();
    cursore.setPosition(inizio);
    cursore.setPosition(inizio + lunghezza, QTextCursor::KeepAnchor);
    memo->setTextCursor(cursore);
}

TEST_F(MemoNorvane, FileInsertsTheChosenFileInDriveLetterForm) {
    const QString scelto = installazione.Directory() + "scelto.txt";
    QFile file(scelto);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    // The drive of "/" in lower case, as the path picker writes drives.
    const QString atteso = "z:" + QString(scelto).replace(u'/', u'\\');

    auto editor = Editor();
    editor->show();
    editor->MemoSD->setPlainText("[A]\nF=VECCHIO\nG=\n");
    QString risposta = scelto;
    int aperture = 0;
    editor->ScegliFile = [&] {
        ++aperture;
        return risposta;
    };
    SelezionaDopo(editor->MemoSD, "F=", 7);
    editor->ButtonFile->click();
    EXPECT_EQ(editor->TestoMemo(), "[A]\nF=" + atteso + "\nG=\n");

    // Cancelled: nothing goes in.
    risposta.clear();
    SelezionaDopo(editor->MemoSD, "G=", 0);
    editor->ButtonFile->click();
    EXPECT_EQ(editor->TestoMemo(), "[A]\nF=" + atteso + "\nG=\n");
    EXPECT_EQ(aperture, 2);
}

class MemoNorvaneConUnita : public MemoNorvane {
protected:
    void SetUp() override {
        MemoNorvane::SetUp();
        const QString radice = installazione.Directory() + "drive_c";
        ASSERT_TRUE(QDir().mkpath(radice + "/Gestionale/dati"));
        ASSERT_TRUE(QDir().mkpath(installazione.Directory() + "dosdevices"));
        ASSERT_TRUE(QFile::link(radice, installazione.Directory() + "dosdevices/c:"));
    }
};

QListWidgetItem* Riga(QListWidget* lista, const QString& nome) {
    for (int i = 0; i < lista->count(); ++i) {
        if (lista->item(i)->text().trimmed() == nome)
            return lista->item(i);
    }
    ADD_FAILURE() << "no line " << nome.toStdString();
    return nullptr;
}

void Apri(QListWidget* lista, const QString& nome) {
    QListWidgetItem* riga = Riga(lista, nome);
    if (riga == nullptr)
        return;
    lista->scrollToItem(riga);
    QTest::mouseDClick(lista->viewport(), Qt::LeftButton, Qt::NoModifier,
                       lista->visualItemRect(riga).center());
}

TEST_F(MemoNorvaneConUnita, PercorsoInsertsTheChosenDirectoryWithItsBackslash) {
    auto editor = Editor();
    editor->show();
    editor->MemoSD->setPlainText("[A]\nDati=\nRadice=\n");
    SelezionaDopo(editor->MemoSD, "Dati=", 0);
    prova::QuandoSiApre<TSelDirForm>([](TSelDirForm& d) {
        d.DriveComboBox1->setCurrentIndex(d.DriveComboBox1->findData("c"));
        Apri(d.DirectoryListBox1, "Gestionale");
        Apri(d.DirectoryListBox1, "dati");
        d.ButtonOk->click();
    });
    editor->ButtonPercorso->click();
    EXPECT_EQ(editor->TestoMemo(), "[A]\nDati=c:\\Gestionale\\dati\\\nRadice=\n");

    // The root already ends with one.
    SelezionaDopo(editor->MemoSD, "Radice=", 0);
    prova::QuandoSiApre<TSelDirForm>([](TSelDirForm& d) {
        d.DriveComboBox1->setCurrentIndex(d.DriveComboBox1->findData("c"));
        d.ButtonOk->click();
    });
    editor->ButtonPercorso->click();
    EXPECT_EQ(editor->TestoMemo(), "[A]\nDati=c:\\Gestionale\\dati\\\nRadice=c:\\\n");

    prova::QuandoSiApre<TSelDirForm>([](TSelDirForm& d) {
        d.DriveComboBox1->setCurrentIndex(d.DriveComboBox1->findData("c"));
        Apri(d.DirectoryListBox1, "Gestionale");
        d.ButtonCancel->click();
    });
    editor->ButtonPercorso->click();
    EXPECT_EQ(editor->TestoMemo(), "[A]\nDati=c:\\Gestionale\\dati\\\nRadice=c:\\\n");
}

// A file and a directory of the same drive go into the text with the same drive letter, in
// lower case, whichever button picked them.
TEST_F(MemoNorvaneConUnita, FileAndPercorsoWriteTheDriveLetterAlike) {
    const QString dati = installazione.Directory() + "drive_c/Gestionale/dati/";
    QFile file(dati + "ditta.ini");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    auto editor = Editor();
    editor->show();
    editor->MemoSD->setPlainText("[A]\nFile=\nPercorso=\n");
    editor->ScegliFile = [&] { return dati + "ditta.ini"; };
    SelezionaDopo(editor->MemoSD, "File=", 0);
    editor->ButtonFile->click();
    SelezionaDopo(editor->MemoSD, "Percorso=", 0);
    prova::QuandoSiApre<TSelDirForm>([](TSelDirForm& d) {
        d.DriveComboBox1->setCurrentIndex(d.DriveComboBox1->findData("c"));
        Apri(d.DirectoryListBox1, "Gestionale");
        Apri(d.DirectoryListBox1, "dati");
        d.ButtonOk->click();
    });
    editor->ButtonPercorso->click();
    EXPECT_EQ(editor->TestoMemo(),
              "[A]\nFile=c:\\Gestionale\\dati\\ditta.ini\nPercorso=c:\\Gestionale\\dati\\\n");
}

QStringList Linee(const QListWidget* lista) {
    QStringList righe;
    for (int i = 0; i < lista->count(); ++i)
        righe << lista->item(i)->text();
    return righe;
}

void Seleziona(QListWidget* lista, const QStringList& nomi) {
    lista->clearSelection();
    for (const QString& nome : nomi) {
        if (QListWidgetItem* riga = Riga(lista, nome))
            riga->setSelected(true);
    }
}

// The enabling first stores the text on screen; the dialog then lists the headings just
// stored (not the old rows of the data module's snapshot), and its choice marks the text.
TEST_F(MemoNorvane, EnablingListsTheHeadingsJustStoredAndMarksTheText) {
    const QString testo = "[ALFA]\nP=1\n[BETA]\nQ=[BETA]\n[GAMMA <INATTIVA>]\nR=3\n[DELTA]\nS=4\n";
    auto editor = Editor();
    editor->show();
    editor->MemoSD->setPlainText(testo);
    QStringList attive;
    QStringList disattive;
    prova::QuandoSiApre<TAbilitaDitteForm>([&](TAbilitaDitteForm& d) {
        attive = Linee(d.ListBoxAttive);
        disattive = Linee(d.ListBoxDisattive);
        Seleziona(d.ListBoxAttive, {"DELTA", "BETA"});
        d.ButtonDisattiva->click();
        Seleziona(d.ListBoxDisattive, {"GAMMA"});
        d.ButtonAttiva->click();
        d.ButtonOk->click();
    });
    editor->ButtonAbilitaDitte->click();
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    EXPECT_EQ(attive, (QStringList{"ALFA", "BETA", "DELTA"}));
    EXPECT_EQ(disattive, QStringList{"GAMMA"});
    EXPECT_EQ(editor->TestoMemo(), "[ALFA]\nP=1\n[BETA <INATTIVA>]\nQ=[BETA <INATTIVA>]\n"
                                   "[GAMMA]\nR=3\n[DELTA <INATTIVA>]\nS=4\n");
    // Stored as it was before the marks; the marks are stored by Ok.
    EXPECT_EQ(Norvane(), testo);
    EXPECT_EQ(Valore("SELECT COUNT(*) FROM TABNORVANE WHERE UTENTE=7 AND INTESTAZIONE='BETA'"),
              "1");
    editor->ButtonOk->click();
    EXPECT_EQ(Valore("SELECT COUNT(*) FROM TABNORVANE WHERE UTENTE=7 AND INTESTAZIONE LIKE "
                     "'% <INATTIVA>'"),
              "2");
    EXPECT_EQ(Righe(8), RigheUtente8);
}

struct Abilitazione {
    const char* come;
    QString testo;
    std::function<void(TAbilitaDitteForm&)> scelta;
    QString atteso;
};

TEST_F(MemoNorvane, EnablingChoices) {
    const Abilitazione casi[] = {
        {"enabling every company removes every mark",
         "[A <INATTIVA>]\nP=x <INATTIVA>\n[B <INATTIVA>]\nQ=1\n",
         [](TAbilitaDitteForm& d) {
             d.ListBoxDisattive->selectAll();
             d.ButtonAttiva->click();
             d.ButtonOk->click();
         },
         "[A]\nP=x\n[B]\nQ=1\n"},
        {"a heading line that is not exactly [name] stays as it is", "[BETA]  \nP=1\n[ALFA]\nQ=1\n",
         [](TAbilitaDitteForm& d) {
             d.ListBoxAttive->selectAll();
             d.ButtonDisattiva->click();
             d.ButtonOk->click();
         },
         "[BETA]  \nP=1\n[ALFA <INATTIVA>]\nQ=1\n"},
        {"Cancel leaves the text", "[A <INATTIVA>]\nP=1\n[B]\nQ=1\n",
         [](TAbilitaDitteForm& d) {
             d.ListBoxDisattive->selectAll();
             d.ButtonAttiva->click();
             d.ButtonCancel->click();
         },
         "[A <INATTIVA>]\nP=1\n[B]\nQ=1\n"},
        {"Escape leaves the text", "[A]\nP=1\n",
         [](TAbilitaDitteForm& d) {
             d.ListBoxAttive->selectAll();
             d.ButtonDisattiva->click();
             QTest::keyClick(d.ListBoxAttive, Qt::Key_Escape);
         },
         "[A]\nP=1\n"},
    };
    for (const Abilitazione& caso : casi) {
        SCOPED_TRACE(caso.come);
        auto editor = Editor();
        editor->show();
        editor->MemoSD->setPlainText(caso.testo);
        prova::QuandoSiApre<TAbilitaDitteForm>([&caso](TAbilitaDitteForm& d) {
            caso.scelta(d);
            if (d.isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                d.done(-1);
            }
        });
        editor->ButtonAbilitaDitte->click();
        EXPECT_EQ(editor->TestoMemo(), caso.atteso);
        EXPECT_EQ(Norvane(), caso.testo) << "stored before the dialog, unmarked";
    }
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
}

} // namespace
