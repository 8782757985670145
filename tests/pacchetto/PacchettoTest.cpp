// A library built outside this tree, against the installed package only, launched from the
// menu of the real program: its window records its handle, takes a new customer's key from
// the generator and stores a parameter, all through the public header.

#include "app/FinestraDiProva.h"

#include <QAction>
#include <QMenu>
#include <QApplication>
#include <QFile>

#include <gtest/gtest.h>

namespace {

class Pacchetto : public FinestraDiProva {};

TEST_F(Pacchetto, ALibraryBuiltAgainstTheInstalledPackageUsesTheServices) {
    const QString libreria = installazione.Directory() + "Esterna.so";
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUENDRA_ESTERNA), libreria)) << QUENDRA_ESTERNA;
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
    esterna->close();
}

} // namespace
