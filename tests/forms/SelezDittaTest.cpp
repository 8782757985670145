#include "forms/SelezDitta.h"

#include "datamodule/TabX.h"
#include "fixture/Dialoghi.h"
#include "fixture/Installazione.h"
#include "fixture/MessaggiRegistrati.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using prova::InstallazioneDiProva;

namespace {

// The current user and company set directly, without the user directory.
class TabXConUtente : public TTabXForm {
public:
    TabXConUtente(qint32 numero, const QString& ditta) : TTabXForm(nullptr, SorgenteDatabase) {
        NumUser = numero;
        Ditta = ditta;
    }
};

// User 7's headings: repeated ones, empty and NULL ones, disabled ones in every letter case,
// quotes and accents; user 8's must never show.
const QStringList Intestazioni = {
    "7,'Beta','P1'",
    "7,'Beta','P2'",
    "7,'beta','P1'",
    "7,'Alfa','P1'",
    "7,NULL,'P1'",
    "7,NULL,'P2'",
    "7,'','P3'",
    "7,'Gamma <INATTIVA>','P1'",
    "7,'Delta <inattiva>','P1'",
    "7,'Eps <Inattiva> 2020','P1'",
    "7,'Dell''Orto & C.','P1'",
    "7,'Società è','P1'",
    "8,'Zeta','P1'",
    "8,'Alfa','P9'",
};

// DISTINCT comes back sorted by the bytes of the heading, and the list keeps that order.
const QStringList DitteDi7 = {"Alfa", "Beta", "Dell'Orto & C.", "Società è", "beta"};

QStringList Righe(const QListWidget* lista) {
    QStringList righe;
    for (int i = 0; i < lista->count(); ++i)
        righe << lista->item(i)->text();
    return righe;
}

class SelezDitta : public ::testing::Test {
protected:
    void SetUp() override {
        QStringList istruzioni;
        for (const QString& valori : Intestazioni)
            istruzioni << "INSERT INTO TABNORVANE (UTENTE,INTESTAZIONE,PARAMETRO) VALUES (" +
                              valori + ")";
        InstallazioneDiProva::Esegui(installazione.FileUtenti(), istruzioni);
    }

    // A data module for user 7 with that current company.
    std::unique_ptr<TabXConUtente> Modulo(const QString& ditta) {
        auto modulo = std::make_unique<TabXConUtente>(7, ditta);
        modulo->Crea();
        return modulo;
    }

    InstallazioneDiProva installazione{{.DatabaseUtenti = true, .Archivio = false}};
    MessaggiInstallati msg;
};

TEST_F(SelezDitta, ListsTheUsersActiveCompaniesOnceEachInTheOrderOfTheResult) {
    auto modulo = Modulo("Alfa");
    TSelezDittaForm dialogo(nullptr, "STANDARD", modulo.get());
    EXPECT_EQ(Righe(dialogo.ListBoxSelDitta), DitteDi7);
    EXPECT_EQ(dialogo.windowTitle(), "Selezione Ditta");
    EXPECT_TRUE(msg->Testi().isEmpty());
}

TEST_F(SelezDitta, WithOnlyDisabledCompaniesTheListIsEmpty) {
    InstallazioneDiProva::Esegui(installazione.FileUtenti(),
                                 {"DELETE FROM TABNORVANE WHERE UTENTE=7 AND UPPER(INTESTAZIONE) "
                                  "NOT LIKE '%<INATTIVA>%'"});
    auto modulo = Modulo("Gamma <INATTIVA>");
    TSelezDittaForm dialogo(nullptr, "STANDARD", modulo.get());
    EXPECT_EQ(dialogo.ListBoxSelDitta->count(), 0);
    EXPECT_EQ(dialogo.DittaScelta(), "");
}

TEST_F(SelezDitta, PreselectsTheFirstLineEqualToTheCurrentCompanyIgnoringCase) {
    const struct {
        QString ditta;
        QString selezionata; // empty: no line selected
    } casi[] = {
        {"Beta", "Beta"},
        {"BETA", "Beta"}, // "beta" is listed too, but later
        {"beta", "Beta"},
        {"SOCIETÀ È", "Società è"},
        {"Dell'Orto & C.", "Dell'Orto & C."},
        {"Zeta", ""},             // another user's company
        {"Gamma <INATTIVA>", ""}, // disabled, so not listed
        {"Bet", ""},
        {"", ""},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(caso.ditta.toStdString());
        auto modulo = Modulo(caso.ditta);
        TSelezDittaForm dialogo(nullptr, "STANDARD", modulo.get());
        EXPECT_EQ(dialogo.DittaScelta(), caso.selezionata);
        EXPECT_EQ(dialogo.ListBoxSelDitta->selectedItems().size(),
                  caso.selezionata.isEmpty() ? 0 : 1);
        const QListWidgetItem* corrente = dialogo.ListBoxSelDitta->currentItem();
        EXPECT_EQ(corrente ? corrente->text() : QString(), caso.selezionata);
    }
}

QRect RigaVisibile(const QListWidget* lista, int riga) {
    return lista->visualItemRect(lista->item(riga));
}

void DoppioClick(QListWidget* lista, QPoint punto) {
    QTest::mouseDClick(lista->viewport(), Qt::LeftButton, Qt::NoModifier, punto);
}

// How the shown dialog ends, with the company already selected ("Beta") or with none.
struct Fine {
    const char* come;
    QString ditta;
    std::function<void(TSelezDittaForm&)> azione;
    int risultato;
    QString scelta;
};

TEST_F(SelezDitta, EndsWithOkOnlyWhileALineIsSelected) {
    const Fine fini[] = {
        {"Ok on the preselected line", "Beta", [](TSelezDittaForm& d) { d.ButtonOk->click(); },
         QDialog::Accepted, "Beta"},
        {"Ok after choosing another line", "Beta",
         [](TSelezDittaForm& d) {
             QTest::mouseClick(d.ListBoxSelDitta->viewport(), Qt::LeftButton, Qt::NoModifier,
                               RigaVisibile(d.ListBoxSelDitta, 3).center());
             d.ButtonOk->click();
         },
         QDialog::Accepted, "Società è"},
        {"Enter in the list", "Beta",
         [](TSelezDittaForm& d) { QTest::keyClick(d.ListBoxSelDitta, Qt::Key_Return); },
         QDialog::Accepted, "Beta"},
        {"Enter of the keypad in the list", "Beta",
         [](TSelezDittaForm& d) { QTest::keyClick(d.ListBoxSelDitta, Qt::Key_Enter); },
         QDialog::Accepted, "Beta"},
        {"double click on a line", "Beta",
         [](TSelezDittaForm& d) {
             DoppioClick(d.ListBoxSelDitta, RigaVisibile(d.ListBoxSelDitta, 0).center());
         },
         QDialog::Accepted, "Alfa"},
        {"Cancel with a line selected", "Beta", [](TSelezDittaForm& d) { d.ButtonCancel->click(); },
         QDialog::Rejected, "Beta"},
        {"Escape", "Beta",
         [](TSelezDittaForm& d) { QTest::keyClick(d.ListBoxSelDitta, Qt::Key_Escape); },
         QDialog::Rejected, "Beta"},
        {"Ok, Enter and double click with nothing selected, then Cancel", "Assente",
         [](TSelezDittaForm& d) {
             d.ButtonOk->click();
             EXPECT_TRUE(d.isVisible()) << "Ok";
             QTest::keyClick(d.ListBoxSelDitta, Qt::Key_Return);
             EXPECT_TRUE(d.isVisible()) << "Enter";
             const QRect ultima = RigaVisibile(d.ListBoxSelDitta, d.ListBoxSelDitta->count() - 1);
             DoppioClick(d.ListBoxSelDitta, QPoint(ultima.center().x(), ultima.bottom() + 20));
             EXPECT_TRUE(d.isVisible()) << "double click below the lines";
             d.ButtonCancel->click();
         },
         QDialog::Rejected, ""},
    };
    for (const Fine& fine : fini) {
        SCOPED_TRACE(fine.come);
        auto modulo = Modulo(fine.ditta);
        TSelezDittaForm dialogo(nullptr, "STANDARD", modulo.get());
        prova::QuandoSiApre<TSelezDittaForm>([&fine](TSelezDittaForm& d) {
            fine.azione(d);
            // An ending that did not happen must fail the case, not leave exec waiting.
            if (d.isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                d.done(-1);
            }
        });
        EXPECT_EQ(dialogo.exec(), fine.risultato);
        EXPECT_EQ(dialogo.DittaScelta(), fine.scelta);
    }
}

TEST_F(SelezDitta, ShownCentredOnTheScreen) {
    auto modulo = Modulo("Beta");
    TSelezDittaForm dialogo(nullptr, "STANDARD", modulo.get());
    QPoint centro;
    prova::QuandoSiApre<TSelezDittaForm>([&](TSelezDittaForm& d) {
        centro = d.frameGeometry().center();
        d.ButtonCancel->click();
    });
    dialogo.exec();
    const QPoint schermo = QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE((centro - schermo).manhattanLength(), 2);
}

struct Geometrie {
    QSize dialogo;
    QRect gruppo, ok, annulla, lista;
    int punti;
};

Geometrie Misura(const TSelezDittaForm& d) {
    return {d.size(),
            d.GroupBox1->geometry(),
            d.ButtonOk->geometry(),
            d.ButtonCancel->geometry(),
            d.ListBoxSelDitta->geometry(),
            d.ListBoxSelDitta->font().pointSize()};
}

void ConfrontaGeometrie(const Geometrie& trovate, const Geometrie& attese) {
    EXPECT_EQ(trovate.dialogo, attese.dialogo);
    EXPECT_EQ(trovate.gruppo, attese.gruppo);
    EXPECT_EQ(trovate.ok, attese.ok);
    EXPECT_EQ(trovate.annulla, attese.annulla);
    EXPECT_EQ(trovate.lista, attese.lista);
    EXPECT_EQ(trovate.punti, attese.punti);
}

const Geometrie Progettate = {{342, 266},         {10, 8, 312, 254},  {32, 218, 75, 25},
                              {208, 218, 75, 25}, {11, 16, 288, 193}, 8};

int Scalato(int valore, int percento) {
    return qRound(valore * percento / 100.0);
}

Geometrie Scalate(int percento) {
    const auto r = [percento](const QRect& g) {
        return QRect(Scalato(g.x(), percento), Scalato(g.y(), percento),
                     Scalato(g.width(), percento), Scalato(g.height(), percento));
    };
    return {QSize(Scalato(342, percento), Scalato(266, percento)),
            r(Progettate.gruppo),
            r(Progettate.ok),
            r(Progettate.annulla),
            r(Progettate.lista),
            Scalato(8, percento)};
}

TEST_F(SelezDitta, StandardModeKeepsTheDesignWhateverTheScreen) {
    auto modulo = Modulo("Beta");
    TSelezDittaForm dialogo(nullptr, "STANDARD", modulo.get(), QSize(1024, 768));
    ConfrontaGeometrie(Misura(dialogo), Progettate);
    EXPECT_EQ(dialogo.font().family(), "Tahoma");
}

TEST_F(SelezDitta, SmallModeScalesByTheFactorThatFitsTheScreenInWholePercent) {
    const struct {
        QSize schermo;
        int percento;
    } casi[] = {
        {{1024, 768}, 256}, // height rules: 2.56
        {{460, 900}, 200},  // width rules: 2
        {{800, 1500}, 348}, // 3.4782...
        {{230, 300}, 100},  {{345, 450}, 150},
    };
    for (const auto& caso : casi) {
        SCOPED_TRACE(QStringLiteral("%1x%2")
                         .arg(caso.schermo.width())
                         .arg(caso.schermo.height())
                         .toStdString());
        auto modulo = Modulo("Beta");
        TSelezDittaForm dialogo(nullptr, "SMALL", modulo.get(), caso.schermo);
        ConfrontaGeometrie(Misura(dialogo), Scalate(caso.percento));
        EXPECT_EQ(Righe(dialogo.ListBoxSelDitta), DitteDi7);
    }
    // The figures themselves for the common terminal screen.
    auto modulo = Modulo("Beta");
    TSelezDittaForm dialogo(nullptr, "SMALL", modulo.get(), QSize(1024, 768));
    ConfrontaGeometrie(Misura(dialogo), {{876, 681},
                                         {26, 20, 799, 650},
                                         {82, 558, 192, 64},
                                         {532, 558, 192, 64},
                                         {28, 41, 737, 494},
                                         20});
}

TEST_F(SelezDitta, SmallModeWithoutAGivenSizeUsesThePrimaryScreen) {
    const QSize schermo = QGuiApplication::primaryScreen()->size();
    auto modulo = Modulo("Beta");
    TSelezDittaForm predefinito(nullptr, "SMALL", modulo.get());
    TSelezDittaForm dato(nullptr, "SMALL", modulo.get(), schermo);
    ConfrontaGeometrie(Misura(predefinito), Misura(dato));
    EXPECT_NE(Misura(predefinito).gruppo, Progettate.gruppo);
}

// Group box and list are anchored on all sides: they follow the dialog, the buttons stay.
TEST_F(SelezDitta, GroupAndListFollowTheDialogSize) {
    auto modulo = Modulo("Beta");
    TSelezDittaForm dialogo(nullptr, "STANDARD", modulo.get());
    dialogo.show();
    dialogo.resize(442, 316);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogo.GroupBox1->geometry(), QRect(10, 8, 412, 304));
    EXPECT_EQ(dialogo.ListBoxSelDitta->geometry(), QRect(11, 16, 388, 243));
    EXPECT_EQ(dialogo.ButtonOk->geometry(), Progettate.ok);
    EXPECT_EQ(dialogo.ButtonCancel->geometry(), Progettate.annulla);
}

// What the change of company does in the compact mode: the scaled dialog set to 230 x 300.
// The buttons, designed side by side beyond the group's new width, go one above the other
// under the list (10 pixels apart, 4 scaled); back at the scaled size they are as designed.
TEST_F(SelezDitta, SmallDialogResizedToTheCompactSizeKeepsGroupListAndButtonsInside) {
    auto modulo = Modulo("Beta");
    TSelezDittaForm dialogo(nullptr, "SMALL", modulo.get(), QSize(1024, 768));
    dialogo.resize(230, 300);
    dialogo.show();
    QCoreApplication::processEvents();
    ASSERT_EQ(dialogo.size(), QSize(230, 300));
    // The scaled margins: 51 right and 11 below the group, 34 and 115 around the list.
    EXPECT_EQ(dialogo.GroupBox1->geometry(), QRect(26, 20, 153, 269));
    EXPECT_EQ(dialogo.ListBoxSelDitta->geometry(), QRect(28, 41, 91, 113));
    EXPECT_EQ(dialogo.ButtonOk->geometry(), QRect(10, 164, 133, 42));
    EXPECT_EQ(dialogo.ButtonCancel->geometry(), QRect(10, 216, 133, 42));

    dialogo.resize(876, 681);
    QCoreApplication::processEvents();
    EXPECT_EQ(dialogo.ButtonOk->geometry(), QRect(82, 558, 192, 64));
    EXPECT_EQ(dialogo.ButtonCancel->geometry(), QRect(532, 558, 192, 64));
}

} // namespace
