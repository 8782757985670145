// A library built outside this tree, against the installed package only, launched from the
// menu of the real program: its window records its handle, takes a new customer's key from
// the generator, stores a parameter, locks the row it edits and prints, all through the
// public header.

#include "app/FinestraDiProva.h"

#include <QAction>
#include <QMenu>
#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QPushButton>
#include <QTableView>

#include "datamodule/PulsanteStato.h"
#include "datamodule/TabX.h"
#include "fb/Errore.h"
#include "fb/Query.h"
#include "fb/Transazione.h"

#include <gtest/gtest.h>

namespace {

class Pacchetto : public FinestraDiProva {};

TEST_F(Pacchetto, ALibraryBuiltAgainstTheInstalledPackageUsesTheServices) {
    const QString libreria = installazione.Directory() + "Esterna.so";
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUENDRA_ESTERNA), libreria)) << QUENDRA_ESTERNA;
    // The test's stand-in for the printing library notes what it received.
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + "/ProvaStampa.so",
                            installazione.Directory() + "Vrot.so"));
    prova::InstallazioneDiProva::Esegui(installazione.FileArchivio(), {"SET GENERATOR GEN_CLIFOR TO 41"});
    Voce(2, "ApriEsternaX", {}, {}, "Esterna.so");
    Entra("ROSSI");
    ASSERT_TRUE(Finestra().SessioneAperta) << msg->Testi().join('|').toStdString();
    for (QAction* voce : Finestra().Voci)
        if (voce->data().toInt() == 2 && !voce->menu())
            voce->trigger();

    QWidget* esterna = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == "EsternaForm" && w->isVisible())
            esterna = w;
    ASSERT_NE(esterna, nullptr) << msg->Testi().join('|').toStdString();
    EXPECT_TRUE(msg->Testi().isEmpty()) << msg->Testi().join('|').toStdString();
    EXPECT_EQ(prova::InstallazioneDiProva::Valore(installazione.FileArchivio(), "SELECT LIST(CODICE) FROM CLIFOR"),
              "42");
    EXPECT_EQ(prova::InstallazioneDiProva::Valore(installazione.FileArchivio(),
                                                  "SELECT TESTO FROM TABX WHERE NOME='UltimaApertura' AND UTENTE=1"),
              "1");
    EXPECT_EQ(ValoreUtenti("SELECT COUNT(*) FROM KESTOLOGFUNZ WHERE FUNZIONECHIAMATA='ApriEsternaX' AND "
                           "HANDLEFINESTRA=" + QString::number(esterna->winId())),
              "1");

    // Editing the new customer locks its row against any other connection.
    auto* griglia = esterna->findChild<QTableView*>("Griglia");
    ASSERT_TRUE(griglia->model()->setData(griglia->model()->index(0, 1), "Cliente esterno"));
    EXPECT_EQ(esterna->findChild<TPulsanteStato*>()->Tag, 1);
    {
        fb::TDatabase altro;
        prova::ImpostaParametriApertura(altro, installazione.FileArchivio());
        altro.Open();
        fb::TTransazione senzaAttesa(&altro);
        senzaAttesa.Params = {"isc_tpb_concurrency", "isc_tpb_nowait"};
        fb::TQuery modifica(&altro, &senzaAttesa);
        modifica.SQL.Add("UPDATE CLIFOR SET CITTA='x' WHERE CODICE=42");
        EXPECT_THROW(modifica.ExecSQL(), fb::EErroreDB);
    }
    QTest::mouseClick(esterna->findChild<QPushButton*>("ButtonStampa"), Qt::LeftButton);
    EXPECT_EQ(Finestra().TabXForm->GetV("StampaRicevuta"), "ShowVrot11MemFormD|TIBTable|1|Esterna|esterna.rep");
    msg->Rispondi(piattaforma::Risposta::No);
    esterna->close(); // unsaved, and not to be saved: the edit is rolled back
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(prova::InstallazioneDiProva::Valore(installazione.FileArchivio(),
                                                  "SELECT COALESCE(RAGIONESOCIALE, '<NULL>') FROM CLIFOR"),
              "<NULL>");
}

} // namespace
