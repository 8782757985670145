#include "app/FinestraDiProva.h"
#include "datamodule/TabX.h"
#include "fixture/Dialoghi.h"
#include "forms/MemoNorvane.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>

namespace {

class AccessoNorvane : public FinestraDiProva {};

// "Accesso a norvane" of the Sistema menu opens the editor of the logged-in user over the
// menu window, modally, and the editor is gone once it closes.
TEST_F(AccessoNorvane, OpensTheEditorOfTheLoggedInUserAndDestroysItAfter) {
    const QString testo = "[ALFA]\nArchivio=" + installazione.FileArchivio() + "\n";
    Utenti({"UPDATE UTENTI SET NORVANE='" + testo + "' WHERE CODICE=1"});
    Entra("ROSSI");
    ASSERT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    TBaseMainForm& f = Finestra();
    ASSERT_TRUE(f.AccessoNorvane1->isEnabled());

    QString titolo;
    QString mostrato;
    QWidget* owner = nullptr;
    bool modale = false;
    prova::QuandoSiApre<TMemoNorvaneForm>([&](TMemoNorvaneForm& editor) {
        titolo = editor.windowTitle();
        mostrato = editor.TestoMemo();
        owner = editor.parentWidget();
        modale = editor.isModal();
        editor.MemoSD->moveCursor(QTextCursor::End);
        editor.MemoSD->insertPlainText("Colore=blu");
        editor.ButtonOk->click();
    });
    f.AccessoNorvane1->trigger();

    EXPECT_EQ(titolo, "Editazione parametri norvane - Ditta: ROSSI");
    EXPECT_EQ(mostrato, testo);
    EXPECT_EQ(owner, &f);
    EXPECT_TRUE(modale);
    EXPECT_TRUE(f.findChildren<TMemoNorvaneForm*>().isEmpty());
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    EXPECT_EQ(ValoreUtenti("SELECT NORVANE FROM UTENTI WHERE CODICE=1"), testo + "Colore=blu");
    EXPECT_EQ(
        ValoreUtenti("SELECT PROGRESSIVO FROM TABNORVANE WHERE UTENTE=1 AND PARAMETRO='Colore'"),
        "2");
    // The user set again by the store is still the one logged in.
    EXPECT_EQ(f.TabXForm->GetNumUser(), 1);
    EXPECT_EQ(f.TabXForm->GetDitta(), "ALFA");
}

} // namespace
