#include "app/FinestraDiProva.h"
#include "datamodule/TabX.h"
#include "fixture/Dialoghi.h"
#include "forms/AbilitaDitte.h"
#include "forms/MemoNorvane.h"
#include "forms/SelezDitta.h"

#include <QAction>
#include <QListWidget>
#include <QToolButton>
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

// Disabled in the editor, a company leaves the company dialog of the change of company.
TEST_F(AccessoNorvane, ACompanyDisabledInTheEditorLeavesTheCompanyDialog) {
    const QString archivio = installazione.FileArchivio();
    Utenti({"UPDATE UTENTI SET NORVANE='[ALFA]\nArchivio=" + archivio + "\n\n[BETA]\nArchivio=" + archivio +
            "' WHERE CODICE=1"});
    Parametro(1, "BETA", "Archivio", archivio);
    Entra("ROSSI");
    const auto ditte = [&] {
        TSelezDittaForm selezione(&Finestra(), Finestra().Modalita, Finestra().TabXForm);
        QStringList elenco;
        for (int i = 0; i < selezione.ListBoxSelDitta->count(); ++i)
            elenco << selezione.ListBoxSelDitta->item(i)->text();
        return elenco;
    };
    ASSERT_EQ(ditte(), (QStringList{"ALFA", "BETA"}));

    prova::QuandoSiApre<TMemoNorvaneForm>([&](TMemoNorvaneForm& editor) {
        prova::QuandoSiApre<TAbilitaDitteForm>([](TAbilitaDitteForm& abilita) {
            const QList<QListWidgetItem*> beta = abilita.ListBoxAttive->findItems("BETA", Qt::MatchExactly);
            ASSERT_EQ(beta.size(), 1);
            beta.first()->setSelected(true);
            abilita.ButtonDisattiva->click();
            abilita.ButtonOk->click();
        });
        editor.ButtonAbilitaDitte->click();
        editor.ButtonOk->click();
    });
    Finestra().AccessoNorvane1->trigger();
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    EXPECT_EQ(ValoreUtenti("SELECT NORVANE FROM UTENTI WHERE CODICE=1"),
              "[ALFA]\nArchivio=" + archivio + "\n\n[BETA <INATTIVA>]\nArchivio=" + archivio);
    EXPECT_EQ(ditte(), QStringList{"ALFA"});
}

} // namespace
